#include "dialogue/conventions/screen_writer.h"

#include <algorithm>
#include <cstring>

#include "dialogue/conventions/default_nan.h"
#include "dialogue/conventions/number_format.h"

namespace simeq {

ScreenWriter::ScreenWriter(ByteSink& sink, bool unbuffered)
    : sink_(sink), unbuffered_(unbuffered) {}

ScreenWriter::~ScreenWriter() { Flush(); }

void ScreenWriter::TextThroughSink(std::string_view text) {
  if (unbuffered_) {
    if (!text.empty()) sink_.Write(text.data(), text.size());
    return;
  }
  while (!text.empty()) {
    const std::size_t take = std::min(text.size(), kBlockSize - used_);
    std::memcpy(block_ + used_, text.data(), take);
    used_ += take;
    text.remove_prefix(take);
    if (used_ == kBlockSize) Flush();
  }
}

void ScreenWriter::Number(double value) {
  char text[kMaxNumberText];
  Text(std::string_view(text, FormatNumber(WithDefaultNaN(value), text)));
}

void ScreenWriter::EndLine() {
  Text("\n");
  Flush();
}

void ScreenWriter::Flush() {
  if (used_ == 0) return;
  sink_.Write(block_, used_);
  used_ = 0;
}

}  // namespace simeq
