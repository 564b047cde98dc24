#include <string>
#include <string_view>

#include "Options.h"
#include "morvash/WalkOptions.h"

namespace tandrel::cli {
namespace {

// "{threads}" stands for the walk's default number of readers.
constexpr std::string_view kHelp =
    R"help(Draws FOLDER (default: the current folder) as a tree of box-drawing
connectors, ending with the number of directories and files found.

What is listed:
  -e, --extensions=TEXT  list only the files whose extension (what follows
                         the last ".") is one of the blank-separated tokens
                         of TEXT, e.g. "c h"; an empty token accepts all
  -i, --ignore-case      compare extensions without regard to ASCII case
  -d, --dirs-only        list folders only
  -1, --no-subfolders    list the folder's own entries only (as -L 1)
  -L, --max-depth=N      list entries down to N levels below FOLDER (1-32);
                         folders on level N are listed but not entered
  -I, --exclude=GLOB     leave out entries whose name matches GLOB (*, ?,
                         [...]; "*" matches a leading dot; "a|b" is a or b),
                         and do not enter such folders; a GLOB ending in "/"
                         matches folders only; may be given many times
  -P, --include=GLOB     list only the files whose name matches GLOB, read
                         as -I reads it (folders are listed whatever their
                         name); may be given many times
      --matchdirs        with -P, also list everything below a folder whose
                         name matches
      --prune            leave out the folders below which nothing is listed
      --no-hidden        leave out entries whose name begins with "."
      --gitignore        leave out what git ignores, and .git, when FOLDER
                         lies in a git work tree
      --one-file-system  list, but do not enter, folders on other devices
      --sort=KEY         order each folder's entries by KEY: name (the
                         locale's collation; the default), version (numbers
                         in names by their value, as ls -v: file9 before
                         file10, 1.9 before 1.10), size (largest first),
                         mtime (newest first), or none (the file system's
                         order); ties go by name
  -r, --reverse          reverse the order
      --dirs-first       put folders before files within each folder

How it is drawn:
  -x, --no-ext           show file names without their extension
  -s, --size             add each file's size (B, KB, MB in powers of 1000,
                         rounded down)
  -h, --human            sizes in powers of 1024, as 999, 1.5K, 12M, 3.1G
                         (implies -s)
      --si               sizes in powers of 1000, as 999, 1.5k, 12M, 3.3G
                         (implies -s)
      --du               add each folder's size: the total of the files
                         listed below it (implies -s)
  -t, --time             add each file's last-write time (UTC + 9 hours)
      --local-time       the time in the local time zone (TZ; implies -t)
      --time-format=FORMAT
                         the time as strftime writes FORMAT, e.g. "%F %T"
                         (implies -t)
      --links            add " -> TARGET" after each symbolic link's name,
                         and " (dangling)" when TARGET does not exist; the
                         default with --draw=narrow and --draw=ascii
      --color[=WHEN]     colour the names as ls does, from LS_COLORS: auto
                         (the default: when standard output is a terminal,
                         NO_COLOR is not set and the drawing is not the
                         dialog's), always (also --color alone), or never
  -n, --no-lines         draw every connector and column as blanks
  -f, --full-path        show FOLDER as typed on the first line
      --draw=STYLE       the pieces in front of each entry: dialog (as the
                         dialog's output box), narrow (empty columns as two
                         spaces) or ascii ("|- ", "`- "); narrow and ascii
                         line the size and time columns up with spaces.
                         Default: $TANDREL_DRAW if set, else narrow when
                         standard output is a UTF-8 terminal, else dialog
      --narrow           the same as --draw=narrow
      --crlf             end lines with CR LF, none after the summary line

Output:
      --format=FORMAT    text (the default), markdown (the text in a fenced
                         code block, drawn narrow unless --draw says
                         otherwise) or json (one UTF-8 JSON document)
  -o, --output=FILE      write to FILE as ">" would, but replacing a regular
                         FILE only once the output is complete (keeping its
                         owner and mode; on failure it keeps what it held);
                         a link is followed, and a FIFO or a device is
                         written in place
      --no-progress      show no progress line (shown only on a terminal's
                         standard error, after half a second)
      --threads=N        read N folders at once (1 to 256; 1 reads on one
                         thread). Default: $TANDREL_THREADS if set, else
                         {threads}: reading mostly waits for the disk or the
                         network, so more threads than cores pay off
      --help             show this help and exit
  -V, --version          show the version and exit

Exit status:
  0  success
  1  a folder lies 32 or more levels deep (nothing is written; use -L N)
  2  bad usage, or FOLDER is not a folder
  3  the output could not be written
  4  some folder could not be read, or its entries could not be looked up
     (the rest is written)
)help";

}  // namespace

std::string HelpText() {
    std::string help(kHelp);
    constexpr std::string_view kThreads = "{threads}";
    help.replace(help.find(kThreads), kThreads.size(),
                 std::to_string(morvash::DefaultWalkThreads()));
    return help;
}

}  // namespace tandrel::cli
