#include "dialogue/conventions/number_reader.h"

#include <optional>

namespace simeq {
namespace {

// The six white-space characters of the default locale; NUL is not one.
bool IsSpace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

NumberReader::NumberReader(ByteSource& source, ScreenWriter& tied) : source_(source), tied_(tied) {}

int NumberReader::Peek() {
  if (next_ == filled_) {
    if (ended_) return kEnd;
    next_ = 0;
    filled_ = source_.Read(chunk_, kChunkSize);
    if (filled_ == 0) {
      ended_ = true;
      return kEnd;
    }
  }
  return static_cast<unsigned char>(chunk_[next_]);
}

bool NumberReader::BeginRead() {
  // After a failure, or once the input has run out, a read fails at once
  // without flushing or waiting.
  if (failed_ || (ended_ && next_ == filled_)) {
    failed_ = true;
    return false;
  }
  tied_.Flush();
  int c = Peek();
  while (IsSpace(c)) {
    ++next_;
    c = Peek();
  }
  if (c == kEnd) {
    failed_ = true;
    return false;
  }
  return true;
}

bool NumberReader::ScanToken(NumberScanner::Kind kind) {
  token_.clear();
  NumberScanner scanner(kind);
  for (int c = Peek(); c != kEnd; c = Peek()) {
    if (!scanner.Accept(static_cast<char>(c))) break;
    token_.push_back(static_cast<char>(c));
    ++next_;
  }
  if (!scanner.Complete()) failed_ = true;
  return !failed_;
}

bool NumberReader::ReadInteger(std::int32_t& target) {
  if (!BeginRead() || !ScanToken(NumberScanner::Kind::kInteger)) return false;
  const std::optional<std::int32_t> value = ConvertInteger(token_);
  if (!value) {
    failed_ = true;
    return false;
  }
  target = *value;
  return true;
}

bool NumberReader::ReadNumber(double& target) {
  if (!BeginRead() || !ScanToken(NumberScanner::Kind::kReal)) return false;
  const std::optional<double> value = ConvertReal(token_);
  if (!value) {
    failed_ = true;
    return false;
  }
  target = *value;
  return true;
}

}  // namespace simeq
