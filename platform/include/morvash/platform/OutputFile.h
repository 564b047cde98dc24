#pragma once

// OutputFile: a program's output written to a file named on its command line
// as the shell's ">" writes it, but never leaving a half-written file in the
// place of a complete one. What stands at the path decides how:
//
// - a symbolic link is followed, link by link, and what it names is written;
// - a regular file, or nothing yet, is replaced: the output goes into a new
//   file in the same folder, which takes the old one's place in one rename
//   once it is complete, with the old one's owner and permission bits (a new
//   file gets those of the umask). The new file has no name until then where
//   the file system can make such a file; elsewhere it gets a hidden name
//   beside the old one (".NAME.XXXXXX") when writing begins, which a signal
//   that ends the process removes;
// - a regular file that a new file cannot stand in for (it has further hard
//   links, the folder takes no new file, or its owner cannot be given to a new
//   file) is written in place, as ">" writes it: emptied when writing begins;
// - anything else (a FIFO, a terminal, a device) is opened and written in
//   place, never replaced.
//
// Nothing with a name is made before writing begins, so a program that opens
// its output first and then lists the folder never sees a file of its own.
//
//     platform::OutputFile file("out.txt");
//     if (file.OpenError() != 0) { ... }        // an errno, e.g. EISDIR
//     file.stream() << text;
//     if (const int error = file.Commit()) { ... }  // out.txt keeps what it held

#include <memory>
#include <ostream>
#include <string>

#include "morvash/platform/Export.h"

namespace platform {

class PLATFORM_API OutputFile {
  public:
    /// How the file is written.
    enum class Way {
        Replace,  ///< a new file takes the place of the old one once complete
        InPlace,  ///< the file itself is written
    };
    /// Choices that only tests need.
    struct Choices {
        /// false: use the hidden named file even where a file without a name could be made.
        bool unnamed = true;
    };

    /// Opens `path` for writing as described above; OpenError() tells whether it can be.
    explicit OutputFile(std::string path);
    /// Opens `path` as above, with `choices`.
    OutputFile(std::string path, Choices choices);
    /// Discards what was written unless Commit succeeded (a file written in
    /// place keeps what reached it).
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    /// Returns the errno that keeps the file from being written; 0 when it can be.
    int OpenError() const noexcept;
    /// Returns how the file is written.
    Way way() const noexcept;
    /// Returns the stream that writes the output.
    std::ostream& stream() noexcept;
    /// Ends the writing: the new file takes the old one's place, or the file
    /// written in place is closed. Returns 0, or the errno of the first write,
    /// the close or the rename that failed (a new file is then removed).
    int Commit();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace platform
