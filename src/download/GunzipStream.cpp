#include "download/GunzipStream.h"

#include <zlib.h>

#include <vector>

namespace {

constexpr std::size_t kOutputStep = 64 * 1024;

// One output buffer per thread: a segment's thousands of streams never hold one each.
unsigned char* OutputBuffer() {
    thread_local std::vector<unsigned char> buffer(kOutputStep);
    return buffer.data();
}

}  // namespace

GunzipStream::GunzipStream() = default;

GunzipStream::~GunzipStream() {
    ReleaseStream();
}

void GunzipStream::ReleaseStream() {
    if (streamReady_)
        inflateEnd(stream_.get());
    streamReady_ = false;
    stream_.reset();
}

void GunzipStream::Reset() {
    ReleaseStream();
    stage_ = Stage::Start;
    headSize_ = 0;
}

bool GunzipStream::Fail() {
    ReleaseStream();
    stage_ = Stage::Failed;
    return false;
}

bool GunzipStream::Feed(const void* data, std::size_t size, const Sink& sink) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        switch (stage_) {
            case Stage::Start:
            case Stage::AfterMember: {
                while (headSize_ < 2 && size > 0) {
                    head_[headSize_++] = *bytes++;
                    --size;
                }
                if (headSize_ < 2)
                    return true;
                headSize_ = 0;
                if (head_[0] == 0x1F && head_[1] == 0x8B) {
                    if (!stream_) {
                        stream_ = std::make_unique<z_stream_s>();
                        if (inflateInit2(stream_.get(), 16 + MAX_WBITS) != Z_OK)
                            return Fail();
                        streamReady_ = true;
                    } else if (inflateReset(stream_.get()) != Z_OK) {
                        return Fail();
                    }
                    stage_ = Stage::Inflating;
                    std::size_t used = 0;
                    if (!Inflate(head_, 2, used, sink))
                        return Fail();
                } else if (stage_ == Stage::Start) {
                    stage_ = Stage::Plain;
                    if (!sink(head_, 2))
                        return Fail();
                } else {
                    return Fail();
                }
                break;
            }
            case Stage::Inflating: {
                std::size_t used = 0;
                if (!Inflate(bytes, size, used, sink))
                    return Fail();
                bytes += used;
                size -= used;
                break;
            }
            case Stage::Plain:
                if (!sink(bytes, size))
                    return Fail();
                size = 0;
                break;
            case Stage::Failed:
                return false;
        }
    }
    return stage_ != Stage::Failed;
}

bool GunzipStream::Inflate(const unsigned char* data, std::size_t size, std::size_t& used, const Sink& sink) {
    z_stream_s& stream = *stream_;
    stream.next_in = const_cast<unsigned char*>(data);
    stream.avail_in = static_cast<uInt>(size);
    unsigned char* output = OutputBuffer();
    for (;;) {
        stream.next_out = output;
        stream.avail_out = static_cast<uInt>(kOutputStep);
        int status = inflate(&stream, Z_NO_FLUSH);
        std::size_t produced = kOutputStep - stream.avail_out;
        if (produced > 0 && !sink(output, produced))
            return false;
        if (status == Z_STREAM_END) {
            used = size - stream.avail_in;
            stage_ = Stage::AfterMember;
            return true;
        }
        if (status != Z_OK && status != Z_BUF_ERROR)
            return false;  // damaged data, a wrong checksum or length, no memory
        // All input taken and no output left waiting: the member goes on in the next piece.
        if (stream.avail_in == 0 && stream.avail_out != 0) {
            used = size;
            return true;
        }
    }
}

bool GunzipStream::End(const Sink& sink) {
    bool whole = false;
    switch (stage_) {
        case Stage::Start:
            // One byte cannot be the gzip magic: it is the whole of a plain input.
            whole = headSize_ == 0 || sink(head_, headSize_);
            break;
        case Stage::AfterMember:
            whole = headSize_ == 0;  // a stray byte after a member is not another member
            break;
        case Stage::Plain:
            whole = true;
            break;
        case Stage::Inflating:  // the input ended inside a member
        case Stage::Failed:
            whole = false;
            break;
    }
    Reset();
    return whole;
}
