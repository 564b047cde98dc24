#pragma once

// -o FILE: the output goes to a temporary file beside FILE, which replaces
// FILE by a rename only once everything is written. Until then, and whenever
// the run fails, FILE keeps what it held; the temporary file never outlives
// the object unless it was renamed into place.

#include <fstream>
#include <string>

namespace tandrel::cli {

class AtomicOutputFile {
  public:
    /// Creates the temporary file in FILE's folder, with FILE's permissions
    /// when FILE exists (else those a new file gets under the umask).
    explicit AtomicOutputFile(std::string path);
    /// Removes the temporary file unless Commit renamed it.
    ~AtomicOutputFile();
    AtomicOutputFile(const AtomicOutputFile&) = delete;
    AtomicOutputFile& operator=(const AtomicOutputFile&) = delete;

    /// Returns the errno of creating the temporary file; 0 when it is open.
    int OpenError() const noexcept { return openError_; }
    /// Returns the stream that writes the temporary file.
    std::ostream& stream() noexcept { return stream_; }
    /// Closes the temporary file and renames it to FILE; returns 0, or the
    /// errno of the close or the rename (the temporary file is then removed).
    int Commit();

  private:
    std::string path_;
    std::string temporary_;
    std::ofstream stream_;
    int openError_ = 0;
    bool committed_ = false;
};

}  // namespace tandrel::cli
