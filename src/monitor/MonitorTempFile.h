#pragma once

#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace tusko {

// The monitor log's running copy on disk, from which Save As copies.
//
// It lives in a folder the caller names (the desktop passes the user's cache
// folder), not in the working directory, which need not be writable. Its name
// carries the process id, "~monlog-<pid>.tmp", and a further log of the same
// process adds a count, "~monlog-<pid>-2.tmp", so that two running programs, or
// two logs of one program, never write into one file. A file of that name left
// by an ended process of the same id is replaced, and every other such file
// whose process no longer runs (left by a program that crashed or was killed)
// is removed when a log starts. The file is private to the user (mode 0600):
// the trace may carry telephone numbers.
class MonitorTempFile {
 public:
  // Creates the folder if needed, removes the files of ended processes there
  // and creates the file anew; see Error().
  explicit MonitorTempFile(const std::filesystem::path& folder);
  // Closes and deletes the file it created.
  ~MonitorTempFile();
  MonitorTempFile(const MonitorTempFile&) = delete;
  MonitorTempFile& operator=(const MonitorTempFile&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // Why the file could not be created the last time; empty while it is open.
  std::error_code Error() const { return error_; }

  // Appends the bytes; write errors are dropped, the log view still has the text.
  void Write(std::string_view bytes);
  // Empties the file by creating it anew.
  std::error_code Restart();
  // Copies the file to `target` in pieces. An existing file there is replaced whole and
  // stays as it was when the copy fails; a new one gets the user's usual permissions.
  // Refused with EINVAL when `target` is the running file itself.
  std::error_code CopyTo(const std::filesystem::path& target);

 private:
  void Close();

  std::filesystem::path path_;
  std::FILE* file_ = nullptr;
  bool created_ = false;
  std::error_code error_;
};

}  // namespace tusko
