// ByteSink: where a writer streams its bytes, so that large outputs are written as they
// are made instead of being held whole in memory. A sink keeps its first failure to
// itself; the owner asks it once, when the output is complete.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

namespace zg::files {

class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void Write(std::string_view bytes) = 0;
};

// Appends to a string: for outputs that are small by nature, and for tests.
class StringSink final : public ByteSink {
public:
    void Write(std::string_view bytes) override { text_.append(bytes); }
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

// Writes to a stream, such as standard output; the stream's state tells of a failure.
class StreamSink final : public ByteSink {
public:
    explicit StreamSink(std::ostream& out) : out_(out) {}
    void Write(std::string_view bytes) override { out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size())); }

private:
    std::ostream& out_;
};

}  // namespace zg::files
