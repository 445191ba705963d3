#include "download/GunzipFile.h"

#include "platform/File.h"
#include "platform/FileSystem.h"

#include <zlib.h>

#include <cstring>
#include <vector>

namespace {

// Larger than the 1 KiB steps of the original design: fewer calls, same output.
constexpr std::size_t kReadStep = 64 * 1024;

// zlib's gzip reader (gzread) drops whatever follows a member when it is not another member, so a
// range holding more than its stream would unpack as if it were whole. The source is therefore
// inflated here directly, with the reader's rules otherwise: members back to back, each checked
// against its trailer, and a source that does not start with the gzip magic copied as it is.
class Unpacker {
public:
    Unpacker(platform::File& in, platform::File& out) : in_(in), out_(out), input_(kReadStep), output_(kReadStep) {}

    bool Run() {
        if (!Fill(2))
            return false;
        if (!StartsMember())
            return Copy();
        z_stream stream{};
        if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK)
            return false;
        bool ok = Inflate(stream);
        inflateEnd(&stream);
        return ok;
    }

private:
    // Reads until at least `want` bytes wait in the input or the source has ended.
    bool Fill(std::size_t want) {
        while (have_ < want && !ended_) {
            std::int64_t n = in_.Read(input_.data() + have_, input_.size() - have_);
            if (n < 0)
                return false;
            ended_ = n == 0;
            have_ += static_cast<std::size_t>(n);
        }
        return true;
    }

    bool StartsMember() const { return have_ >= 2 && input_[0] == 0x1F && input_[1] == 0x8B; }

    bool Copy() {
        for (;;) {
            if (have_ > 0 && !out_.Write(input_.data(), have_))
                return false;
            have_ = 0;
            if (ended_)
                return true;
            if (!Fill(1))
                return false;
        }
    }

    bool Inflate(z_stream& stream) {
        stream.next_in = input_.data();
        stream.avail_in = static_cast<uInt>(have_);
        for (;;) {
            if (stream.avail_in == 0) {
                have_ = 0;
                if (!Fill(1))
                    return false;
                if (have_ == 0)
                    return false;  // the source ends inside a member
                stream.next_in = input_.data();
                stream.avail_in = static_cast<uInt>(have_);
            }
            stream.next_out = output_.data();
            stream.avail_out = static_cast<uInt>(output_.size());
            int status = inflate(&stream, Z_NO_FLUSH);
            std::size_t produced = output_.size() - stream.avail_out;
            if (produced > 0 && !out_.Write(output_.data(), produced))
                return false;
            if (status == Z_STREAM_END) {
                // After a member: the end of the source, or another whole member.
                have_ = stream.avail_in;
                std::memmove(input_.data(), stream.next_in, have_);
                if (!Fill(2))
                    return false;
                if (have_ == 0)
                    return true;
                if (!StartsMember())
                    return false;
                inflateReset(&stream);
                stream.next_in = input_.data();
                stream.avail_in = static_cast<uInt>(have_);
            } else if (status != Z_OK && status != Z_BUF_ERROR) {
                return false;  // damaged data, a wrong checksum or length, no memory
            }
        }
    }

    platform::File& in_;
    platform::File& out_;
    std::vector<unsigned char> input_;
    std::vector<unsigned char> output_;
    std::size_t have_ = 0;  // unread bytes at the start of input_
    bool ended_ = false;
};

}  // namespace

bool GunzipFile(const std::string& target, const std::string& source) {
    platform::File in;
    if (!in.OpenForRead(source))
        return false;
    std::string partial = target + ".new";
    platform::File out;
    if (!out.CreateForWrite(partial))
        return false;
    bool ok = Unpacker(in, out).Run();
    ok = out.Close() && ok;
    ok = in.Close() && ok;
    ok = ok && platform::RenameFile(partial, target);
    if (!ok)
        platform::RemoveFile(partial);
    return ok;
}
