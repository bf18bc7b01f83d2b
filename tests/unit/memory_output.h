#ifndef BOMTABLES_MEMORY_OUTPUT_H
#define BOMTABLES_MEMORY_OUTPUT_H

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "output_buffer.h"

// Collects what the writers put into one output, through a real file.
class memory_output {
  public:
    memory_output() : buffer_(new output_buffer) { output_attach(buffer_.get(), tmpfile(), nullptr, nullptr); }
    ~memory_output() { output_close(buffer_.get()); }
    memory_output(const memory_output &) = delete;
    memory_output &operator=(const memory_output &) = delete;
    output_buffer *out() { return buffer_.get(); }
    std::string bytes()
    {
        output_flush(buffer_.get());
        std::string bytes(static_cast<size_t>(ftell(buffer_->file)), '\0');
        rewind(buffer_->file);
        EXPECT_EQ(fread(bytes.data(), 1, bytes.size(), buffer_->file), bytes.size());
        return bytes;
    }

  private:
    std::unique_ptr<output_buffer> buffer_;
};

#endif
