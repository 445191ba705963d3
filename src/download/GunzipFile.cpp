#include "download/GunzipFile.h"

#include "platform/File.h"
#include "platform/FileSystem.h"

#include <zlib.h>

#include <vector>

namespace {

// Larger than the 1 KiB steps of the original design: fewer calls, same output.
constexpr unsigned kReadStep = 64 * 1024;

bool Unpack(gzFile in, platform::File& out) {
    std::vector<char> buffer(kReadStep);
    for (;;) {
        int n = gzread(in, buffer.data(), kReadStep);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        if (!out.Write(buffer.data(), static_cast<std::size_t>(n)))
            return false;
    }
    // zlib reports a stream that ends inside a member only through its error state.
    int error = Z_OK;
    gzerror(in, &error);
    return error == Z_OK;
}

}  // namespace

bool GunzipFile(const std::string& target, const std::string& source) {
    gzFile in = gzopen(source.c_str(), "rb");
    if (!in)
        return false;
    // Reads the source in as few system calls as the output is written.
    gzbuffer(in, kReadStep);
    std::string partial = target + ".new";
    platform::File out;
    if (!out.CreateForWrite(partial)) {
        gzclose(in);
        return false;
    }
    bool ok = Unpack(in, out);
    ok = out.Close() && ok;
    ok = gzclose(in) == Z_OK && ok;
    ok = ok && platform::RenameFile(partial, target);
    if (!ok)
        platform::RemoveFile(partial);
    return ok;
}
