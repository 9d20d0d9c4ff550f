#pragma once
// Whether a typed address can go into a command-interpreter line as it stands. Pure, so that it
// builds and is fuzzed on any host.

namespace tool {

// False when the text holds a byte below 0x20 or one of & | < > ^ " %, which the command
// interpreter would take as its own syntax. Double-byte characters are walked whole: a GBK
// second byte is never taken for one of these.
bool address_is_safe(const char* text);

}  // namespace tool
