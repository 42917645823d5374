// corvantis-mdb-reader PATH
//
// Reads the "url" field of every record of the table "tblWebsites" in the Jet database at PATH
// (an absolute path) and writes them to standard output as frames; see MdbReaderProtocol.h for
// the frames and the exit codes. It runs as a process of its own because libmdb can crash on a
// malformed file, which must never take the program's window down with it.

#include "FrameWriter.h"
#include "UrlReading.h"

#include <cstdio>
#include <unistd.h>

namespace {

// The frames get standard output to themselves: anything libmdb prints there goes to
// standard error instead.
std::FILE* takeStandardOutputForFrames() {
    const int framesFd = dup(STDOUT_FILENO);
    if (framesFd < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
        return nullptr;
    std::FILE* frames = fdopen(framesFd, "wb");
    if (frames)
        std::setvbuf(frames, nullptr, _IOFBF, 1 << 16);
    return frames;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] != '/') {
        std::fprintf(stderr, "usage: %s /absolute/path/websites.mdb\n", mdbreader::programName);
        return mdbreader::usage;
    }
    std::FILE* frames = takeStandardOutputForFrames();
    if (!frames)
        return mdbreader::usage;
    mdbreader::FrameWriter writer(frames);
    const mdbreader::ExitCode result = mdbreader::readUrlsFromFile(argv[1], writer);
    if (result == mdbreader::completed)
        writer.finish();
    std::fclose(frames);
    return result;
}
