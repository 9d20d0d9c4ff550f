// The latency query: ping the typed address through the command interpreter, with its output
// redirected into the result file, and show that file's text in the result box.
#include <windows.h>

#include <string>

#include "services/command.h"
#include "services/files.h"
#include "services/message_box.h"
#include "services/text.h"
#include "shell/content.h"
#include "shell/keyboard.h"
#include "shell/loop.h"
#include "shell/window.h"
#include "tool/address_check.h"
#include "tool/handlers.h"
#include "tool/ids.h"
#include "tool/texts.h"

namespace tool {
namespace {

constexpr std::int32_t kWarning = MB_ICONWARNING;
constexpr std::int32_t kBusyPointer = 32650;  // IDC_APPSTARTING

// While a query runs the windows stay alive, but no second query and no help window may start,
// and the pointer says that work goes on. Everything is put back when the query ends, unless the
// window was closed meanwhile.
class QueryRunning {
 public:
  QueryRunning() : focus_(shell::focused_element(ids::kMainWindow)) { set(1, kBusyPointer); }
  ~QueryRunning() {
    if (!shell::window_open(ids::kMainWindow)) return;
    set(0, 0);
    if (focus_ != 0) shell::focus_element(ids::kMainWindow, focus_);
  }
  QueryRunning(const QueryRunning&) = delete;
  QueryRunning& operator=(const QueryRunning&) = delete;

 private:
  static void set(std::int32_t disabled, std::int32_t pointer) {
    shell::write_number_property(ids::kMainWindow, ids::kQueryButton, shell::property::disabled, disabled);
    shell::write_number_property(ids::kMainWindow, ids::kHelpButton, shell::property::disabled, disabled);
    shell::write_number_property(ids::kMainWindow, ids::kMainWindowElement, shell::property::mouse_pointer, pointer);
  }

  std::uint32_t focus_;
};

// The result file: in the root of C: as the command line has always named it; where that cannot
// be written (a standard user since Vista cannot create files there), the same name in the
// user's temporary folder.
struct ResultFile {
  std::string path;
  bool writable = false;
};

// Empties the file, so that whatever it holds after the command can only be this query's output,
// and tells whether it can be written at all.
bool empty_for_writing(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

ResultFile choose_result_file() {
  ResultFile result{std::string(texts::kResultFolder) + texts::kResultFileName};
  if (empty_for_writing(result.path)) {
    result.writable = true;
    return result;
  }
  char folder[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathA(sizeof folder, folder);
  if (length == 0 || length >= sizeof folder) return result;
  result.path = std::string(folder, length) + texts::kResultFileName;
  result.writable = empty_for_writing(result.path);
  return result;
}

bool has_content(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  return data.nFileSizeLow != 0 || data.nFileSizeHigh != 0;
}

// The system refuses longer command lines (32767 characters with the terminating zero).
constexpr std::size_t kLongestCommandLine = 32766;

void warn(const char* message) { services::show_message_box(message, kWarning); }

void warn_unreadable(const std::string& path) {
  const shell::Text message = services::join_texts({texts::kCannotRead, path.c_str()});
  warn(message.get());
}

bool wait_for_ping(HANDLE process, void*) { return shell::wait_serving_messages(process); }

}  // namespace

void query_latency() {
  const shell::Text address = shell::read_property(ids::kMainWindow, ids::kAddressBox, shell::property::content);
  if (services::compare_texts(address.get(), "") == 0) {
    services::show_message_box(texts::kNoAddress);
    return;
  }
  if (!address_is_safe(address.get())) {
    warn(texts::kUnsafeAddress);
    return;
  }
  // The command line is checked before anything is touched: a line the system would refuse
  // leaves the result file as it was.
  if (static_cast<std::size_t>(services::text_length(address.get())) + sizeof texts::kCommandPrefix +
          sizeof texts::kRedirection + MAX_PATH + 2 >
      kLongestCommandLine) {
    warn(texts::kCannotRun);
    return;
  }
  const ResultFile result = choose_result_file();
  if (!result.writable) {
    warn_unreadable(result.path);
    return;
  }
  // A path with a blank (a temporary folder under a user name with one) is quoted for the
  // command interpreter; the root of C: is named as it always was.
  const bool quote = result.path.find(' ') != std::string::npos;
  const shell::Text command_line = services::join_texts({texts::kCommandPrefix, address.get(), texts::kRedirection,
                                                         quote ? "\"" : "", result.path.c_str(), quote ? "\"" : ""});

  bool ended = false;
  bool started = false;
  {
    // Closing the job ends the command interpreter and the ping it started, should the window
    // be closed while they run.
    services::Job job = services::Job::create();
    QueryRunning running;
    services::CommandOptions options;
    options.wait = true;
    options.show_mode = 1;
    options.job = job.handle();
    options.wait_for = &wait_for_ping;
    options.ended = &ended;
    started = services::run_command(command_line.get(), options);
  }
  if (!shell::window_open(ids::kMainWindow)) return;
  if (!started) {
    warn(texts::kCannotRun);
    return;
  }
  if (!ended) return;
  // The file was emptied before the command ran: an empty one was not written by it.
  const std::int32_t file = has_content(result.path) ? services::open_file(result.path.c_str()) : 0;
  if (file == 0) {
    warn_unreadable(result.path);
    return;
  }
  const shell::Text text = services::read_text(file);
  services::close_file(file);
  shell::write_property(ids::kMainWindow, ids::kResultBox, shell::property::content, text.get());
}

}  // namespace tool
