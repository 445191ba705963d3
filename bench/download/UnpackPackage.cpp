// bench-unpack CONFIG CDN_DIR ROOT [THREADS]: what a peer does after fetching the package files
// whole: cut every file's range out of its package and gunzip it below ROOT. Used to time the
// peers (aria2c, curl) with the same unpacking work the updater does.
#include "base/FileUtilities.h"
#include "base/SafePath.h"
#include "platform/File.h"
#include "resources/ManifestFormat.h"

#include <zlib.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

bool UnpackOne(const ResoureConfigInfo& line, const std::string& cdn, const std::string& root) {
    std::string target;
    if (!ResolveResourcePath(root, line.name, target))
        return false;
    std::string folder;
    if (ParentFolder(target, folder))
        CreateFolderChain(folder);
    std::string package = cdn + (line.packageDir.empty() ? "" : line.packageDir + "/") + "kx_game.kxpkg";
    std::FILE* in = std::fopen(package.c_str(), "rb");
    if (!in)
        return false;
    std::vector<unsigned char> packed(static_cast<std::size_t>(line.length));
    bool ok = std::fseek(in, static_cast<long>(line.offset), SEEK_SET) == 0 &&
              std::fread(packed.data(), 1, packed.size(), in) == packed.size();
    std::fclose(in);
    if (!ok)
        return false;
    platform::File out;
    if (!out.CreateForWrite(target))
        return false;
    z_stream stream{};
    inflateInit2(&stream, 15 + 16);
    stream.next_in = packed.data();
    stream.avail_in = static_cast<uInt>(packed.size());
    std::vector<unsigned char> buffer(256 * 1024);
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = buffer.data();
        stream.avail_out = static_cast<uInt>(buffer.size());
        status = inflate(&stream, Z_NO_FLUSH);
        out.Write(buffer.data(), buffer.size() - stream.avail_out);
    }
    inflateEnd(&stream);
    return out.Close() && status == Z_STREAM_END;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench-unpack CONFIG CDN_DIR ROOT [THREADS]\n");
        return 2;
    }
    std::string bytes;
    ResoureConfigList lines;
    if (!ReadRawFile(argv[1], bytes) || !ParseConfigBody(bytes, lines))
        return 1;
    std::string cdn = std::string(argv[2]) + "/";
    std::string root = std::string(argv[3]) + "/";
    int threads = argc > 4 ? std::atoi(argv[4]) : 2;
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&] {
            for (std::size_t i = next++; i < lines.size(); i = next++) {
                std::string where = IsLauncherCategory(lines[i].category) ? root : root + "game/";
                if (!UnpackOne(lines[i], cdn, where))
                    failed = true;
            }
        });
    }
    for (std::thread& worker : workers)
        worker.join();
    return failed ? 1 : 0;
}
