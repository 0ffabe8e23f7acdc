// The registry file on disk: fresh whole-file reads, and locked atomic
// replacement for writers, with a test seam that can fail any file step.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vant::registry::detail {

// Reads the whole file into *out. A missing file or folder reads as empty
// text with ERROR_SUCCESS. ERROR_ACCESS_DENIED: permission refused;
// ERROR_READ_FAULT: any other read failure.
long ReadRegistryFile(const std::string& path, std::string* out);

// What identifies one version of the file without reading it: a write in
// place moves the change time, a replacement brings a new inode. A stamp is
// "settled" when the file's modification time lay clearly before the moment
// it was taken, so any later write must show in the stamp; a file written
// within the same clock tick as the read may not, and is read again.
struct FileStamp {
  bool exists = false;
  bool settled = false;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t modifiedNs = 0;
  std::int64_t changedNs = 0;
  // The folder change count read before the file was looked at (0: none):
  // while the count reads the same, the file is this version still.
  std::uint64_t changes = 0;
};

// True when `now` is a settled stamp of the very version `known` stamped.
bool SameSettledVersion(const FileStamp& known, const FileStamp& now);

// Like ReadRegistryFile, but skips the read when the file's current stamp is
// the same settled version as `known`: *unchanged is then true and *out is
// left empty. Otherwise *out holds the text and *stamp its stamp. One stat
// serves an unchanged file; the failures are ReadRegistryFile's, and an
// injected "read" fault fails the call whether or not the file changed.
long ReadRegistryFileIfChanged(const std::string& path, const FileStamp& known, std::string* out,
                               FileStamp* stamp, bool* unchanged);

// Produces the new file text from the current one; any status other than
// ERROR_SUCCESS abandons the update.
using TextUpdate = std::function<long(const std::string& current, std::string* next)>;

// One write transaction: creates the file's folder if missing, takes an
// exclusive flock on "<path>.lock" (so writers in every process queue up),
// reads the file afresh, runs update, and if the text changed writes it to a
// temporary file in the same folder, fsyncs it and renames it over the file.
// Readers therefore see the old or the new file, never a mix, and a failed
// write leaves the old file and no temporary file. Returns update's failure
// unchanged; ERROR_ACCESS_DENIED when the file system refuses access,
// ERROR_DISK_FULL when it is full, ERROR_WRITE_FAULT or ERROR_READ_FAULT for
// other I/O failures.
long UpdateRegistryFile(const std::string& path, const TextUpdate& update);

// A test seam for the file steps above: a hook that can make any step fail
// with a chosen errno, so tests can fail the Nth step and check that nothing
// is lost or left behind. Called with the step name ("mkdir", "open-lock",
// "lock", "read", "create-temp", "chmod", "write", "fsync", "close",
// "rename") before the step runs; a non-zero result makes the step fail with
// that errno.
using FaultHook = std::function<int(std::string_view step)>;

// Installs the hook for the whole process; an empty hook removes it.
void SetFaultHook(FaultHook hook);

// The errno to fail the step with, or 0 to run it.
int InjectedFault(std::string_view step);

}  // namespace vant::registry::detail
