// The unpacking of a downloaded range. An input whose first byte is even is the temporary file as
// it is; an odd first byte makes the rest a recipe of pieces (gzip members of some bytes, raw
// bytes, members cut short, a flipped byte), so that whole members and what follows them are
// reached often although zlib itself is not instrumented. Properties: an unpack that succeeds
// gives exactly what zlib's own gzip reader gives for the same bytes (which reads more
// leniently); one that fails leaves the previous target untouched and no partial file.
#include "FuzzCheck.h"

#include "download/GunzipFile.h"

#include <zlib.h>

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

const fs::path& Folder() {
    static const fs::path folder = [] {
        fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        fs::path made = base / ("tolm-gunzip-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(made);
        std::atexit([] { fs::remove_all(Folder()); });
        return made;
    }();
    return folder;
}

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Read(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

std::string Gzip(const std::string& data, int level) {
    z_stream stream{};
    if (deflateInit2(&stream, level, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return std::string();
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())) + 64, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

// Pieces of [operation byte][length byte][that many bytes].
std::string FromRecipe(const std::uint8_t* data, std::size_t size) {
    std::string out;
    std::size_t at = 0;
    while (at + 2 <= size) {
        unsigned operation = data[at];
        std::size_t length = std::min<std::size_t>(data[at + 1], size - at - 2);
        std::string piece(reinterpret_cast<const char*>(data) + at + 2, length);
        at += 2 + length;
        switch (operation % 4) {
            case 0:
                out += Gzip(piece, static_cast<int>(operation / 4 % 10));
                break;
            case 1:
                out += piece;
                break;
            case 2: {
                std::string member = Gzip(piece, 6);
                out += member.substr(0, member.size() * (operation / 4 % 8) / 8);
                break;
            }
            default:
                if (!out.empty())
                    out[(operation / 4 + length) % out.size()] ^= static_cast<char>(length | 1);
                break;
        }
    }
    return out;
}

// zlib's reader: members one after another, anything else copied; false on a damaged stream.
bool ZlibReads(const fs::path& source, std::string& out) {
    gzFile in = gzopen(source.c_str(), "rb");
    if (!in)
        return false;
    char buffer[65536];
    int n = 0;
    while ((n = gzread(in, buffer, sizeof(buffer))) > 0)
        out.append(buffer, static_cast<std::size_t>(n));
    int error = Z_OK;
    gzerror(in, &error);
    bool ok = n == 0 && error == Z_OK;
    return gzclose(in) == Z_OK && ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path source = Folder() / "file.dat.t";
    const fs::path target = Folder() / "file.dat";
    if (size == 0)
        return 0;
    std::string bytes = data[0] % 2 == 0 ? std::string(reinterpret_cast<const char*>(data) + 1, size - 1)
                                         : FromRecipe(data + 1, size - 1);
    Write(source, bytes);
    Write(target, "previous version");
    if (GunzipFile(target.string(), source.string())) {
        std::string expected;
        FUZZ_CHECK(ZlibReads(source, expected));
        FUZZ_CHECK(Read(target) == expected);
    } else {
        FUZZ_CHECK(Read(target) == "previous version");
    }
    FUZZ_CHECK(!fs::exists(target.string() + ".new"));
    return 0;
}
