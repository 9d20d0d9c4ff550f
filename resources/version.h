/* Program version, shared by the version resource and the code.  Keep the
   numeric and the text forms in step: the resource compiler cannot build one
   from the other. */
#ifndef IPL_RESOURCES_VERSION_H
#define IPL_RESOURCES_VERSION_H

#define IPL_VERSION_MAJOR 1
#define IPL_VERSION_MINOR 0
#define IPL_VERSION_PATCH 0
#define IPL_VERSION_BUILD 0

#define IPL_VERSION_NUMBERS IPL_VERSION_MAJOR,IPL_VERSION_MINOR,IPL_VERSION_PATCH,IPL_VERSION_BUILD
#define IPL_VERSION_TEXT "1.0.0.0"

#endif
