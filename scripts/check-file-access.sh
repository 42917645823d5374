#!/usr/bin/env bash
# Names every place in src/ and tools/ that opens a file for writing, truncates, copies or locks
# one on its own, outside the doors of base/: such a place would start without the rules the
# doors keep (no foreign link followed, no truncation of another's file, a copy's mode kept,
# regular files only). Each is printed with its line; exits non-zero when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

# The doors through which the program touches files.
module=(
    src/base/AtomicFileWriter.cpp
    src/base/LockFile.cpp
    src/base/RegularFileReader.cpp
)
# Opens only /dev/null, on a standard descriptor the caller left closed.
standard_descriptors=(
    src/app/StandardDescriptors.cpp
)
# Build tools that write only the build outputs named on their command line, never a user's file.
build_tools=(
    tools/cursorwrite/cursorwrite.cpp
    tools/jetwrite/JetDatabase.cpp
)

write_pattern='O_(WRONLY|RDWR|CREAT|TRUNC|APPEND|TMPFILE)\b|\bcreat\s*\(|(^|[^.>[:alnum:]_])(::)?f?truncate\s*\(|\bflock\s*\(|\blockf\s*\(|F_SETLKW?\b|(QIODevice|QIODeviceBase|QFile|QFileDevice)::(WriteOnly|ReadWrite|Append|Truncate|NewOnly)\b|\bQSaveFile\b|\bstd::(o|)fstream\b|\bfopen\s*\([^)]*"[^"]*[wa+]|QFile::copy\b|std::filesystem::copy|\bcopy_file\b|\bsendfile\s*\(|\bcopy_file_range\s*\('

exempt=" ${module[*]} ${standard_descriptors[*]} ${build_tools[*]} "
status=0
while IFS=: read -r file line text; do
    [[ $exempt == *" $file "* ]] && continue
    [[ $text =~ ^[[:space:]]*// ]] && continue # a comment that names one
    echo "$file:$line: opens, truncates, copies or locks a file outside the doors of base/ (RegularFileReader, AtomicFileWriter, LockFile): ${text#"${text%%[![:space:]]*}"}"
    status=1
done < <(grep -rnE --include='*.cpp' --include='*.h' "$write_pattern" src tools || true)
exit $status
