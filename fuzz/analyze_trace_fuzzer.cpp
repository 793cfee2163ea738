// Random traces and settings through the whole analysis: it never crashes or reads outside its
// arrays, and what it returns is always a well-formed event list.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "analysis/analysis_engine.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// Takes values from the front of the input; zeros once it is used up.
class InputReader {
 public:
  InputReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  template <typename T>
  T Take() {
    T value{};
    const std::size_t n = std::min(sizeof(T), size_ - used_);
    std::memcpy(&value, data_ + used_, n);
    used_ += n;
    return value;
  }

  std::size_t Remaining() const { return size_ - used_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t used_ = 0;
};

template <typename T, std::size_t N>
T Pick(InputReader& in, const T (&values)[N]) {
  return values[in.Take<std::uint8_t>() % N];
}

AnalysisParams ParamsFrom(InputReader& in) {
  static constexpr float kRanges[] = {0.3f, 1.3f, 2.5f, 5.0f, 10.0f, 20.0f, 40.0f, 80.0f, 160.0f, 240.0f, 0.0f, -5.0f};
  static constexpr float kWavelengths[] = {850.0f, 1300.0f, 1310.0f, 1550.0f, 1625.0f, 1383.0f, 1548.6f, 15500.0f, 0.0f};
  static constexpr std::int32_t kPulses[] = {3, 5, 10, 12, 30, 100, 275, 300, 1000, 2500, 10000, 20000, 0, -100};
  AnalysisParams p;
  p.range = Pick(in, kRanges);
  p.pulseWidth = Pick(in, kPulses);
  p.dataSpacing = in.Take<std::int8_t>();
  p.wavelength = Pick(in, kWavelengths);
  p.backscatterCoefficient = 60.0f + in.Take<std::uint8_t>() / 8.0f;
  p.reflectionThreshold = -10.0f - in.Take<std::uint8_t>() / 4.0f;
  p.nonReflectionThreshold = in.Take<std::uint8_t>() / 50.0f;
  p.endThreshold = in.Take<std::uint8_t>() / 8.0f;
  p.filterPosition = in.Take<std::int16_t>();
  p.cutAfterEnd = in.Take<std::uint8_t>() & 1;
  return p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InputReader in(data, size);
  AnalysisParams params = ParamsFrom(in);
  // Spacings from the usual ones to the degenerate: zero, negative and not a number.
  static constexpr float kSpacings[] = {0.0005f, 0.001f, 0.002f, 0.004f, 0.0001f, 0.0f, -0.001f, NAN};
  const float dx = Pick(in, kSpacings);
  // Samples as a file holds them: 0.001 dB steps below 0 dB, larger is weaker. Short inputs are
  // stretched so the fuzzer also reaches traces of realistic length.
  const int repeat = 1 + in.Take<std::uint8_t>() % 64;
  std::vector<TracePoint> points;
  while (in.Remaining() >= 2 && points.size() < 100000) {
    const std::uint16_t sample = in.Take<std::uint16_t>();
    for (int r = 0; r < repeat && points.size() < 100000; ++r) {
      points.push_back(TracePoint{static_cast<float>(points.size()) * dx, -sample / 1000.0f});
    }
  }
  std::vector<AnalysisEvent> events(kAnalysisEventCapacity);
  const int count = AnalyzeTrace(points, events, params);
  Check(count >= 1 && count <= 251);
  Check(events[0].type == kEventLaunch && events[0].position == 0.0f);
  int endFlags = 0;
  const int n = static_cast<int>(points.size());
  for (int i = 0; i < count; ++i) {
    const AnalysisEvent& e = events[static_cast<std::size_t>(i)];
    endFlags += e.endFlag == kEndFlag ? 1 : 0;
    for (float v : {e.position, e.level, e.reflectance, e.loss, e.attenuation, e.cumulativeLoss}) {
      Check(std::isfinite(v) || v == kNoValue);
    }
    if (i > 0) Check(e.position >= events[static_cast<std::size_t>(i - 1)].position);
    if (n > 0) {
      for (int m : e.markers) Check(m >= 0 && m < n);
    }
  }
  Check(endFlags <= 1);
  return 0;
}
