#pragma once

#include <cstddef>
#include <functional>
#include <memory>

struct z_stream_s;

// Inflates gzip data handed over in pieces of any size, as they arrive: members back to back, each
// checked against its trailer; data that does not start with the gzip magic passes unchanged; and
// anything after a member other than another whole member is an error (the range it came from held
// more than its stream). The zlib state exists only while a member is being inflated. One thread.
class GunzipStream {
public:
    // Receives the output in order; false stops the stream as failed.
    using Sink = std::function<bool(const unsigned char* data, std::size_t size)>;

    GunzipStream();
    ~GunzipStream();
    GunzipStream(const GunzipStream&) = delete;
    GunzipStream& operator=(const GunzipStream&) = delete;

    // Starts over: the next byte is the first of a new input.
    void Reset();
    // The next input bytes. False when the data is damaged or the sink refused; later calls then
    // fail too, until Reset.
    bool Feed(const void* data, std::size_t size, const Sink& sink);
    // The input has ended. True when it ended whole: after a complete member, or plain data
    // (including none at all).
    bool End(const Sink& sink);

private:
    enum class Stage { Start, Inflating, AfterMember, Plain, Failed };

    bool Inflate(const unsigned char* data, std::size_t size, std::size_t& used, const Sink& sink);
    bool Fail();
    void ReleaseStream();

    Stage stage_ = Stage::Start;
    unsigned char head_[2] = {};  // the first bytes of an input or of what follows a member
    std::size_t headSize_ = 0;
    std::unique_ptr<z_stream_s> stream_;
    bool streamReady_ = false;
};
