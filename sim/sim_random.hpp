#pragma once
// A small deterministic generator. The standard distributions may differ between library
// versions; the catalogue must be the same everywhere for a given seed, so every draw
// goes through this splitmix64 sequence and plain modulo.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::sim {

class SimRandom {
 public:
  explicit SimRandom(std::uint64_t seed) : state_(seed) {}
  // A generator for one entity: mixes the seed with up to three numbers.
  static SimRandom derived(std::uint64_t seed, std::uint64_t a, std::uint64_t b = 0,
                           std::uint64_t c = 0) {
    SimRandom r(seed ^ 0x5EEDC0FFEE123457ull);
    r.state_ ^= r.next() + a * 0x9E3779B97F4A7C15ull;
    r.state_ ^= r.next() + b * 0xC2B2AE3D27D4EB4Full;
    r.state_ ^= r.next() + c * 0x165667B19E3779F9ull;
    return r;
  }

  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // A number from lo to hi, both included.
  int between(int lo, int hi) {
    return lo + static_cast<int>(next() % static_cast<std::uint64_t>(hi - lo + 1));
  }
  bool chance(int percent) { return between(1, 100) <= percent; }
  template <typename T>
  const T& pick(const std::vector<T>& values) {
    return values[next() % values.size()];
  }
  std::string_view pick(std::initializer_list<std::string_view> values) {
    return values.begin()[next() % values.size()];
  }
  // n lower-case hexadecimal digits.
  std::string hex(int n) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (int i = 0; i < n; ++i) out += kDigits[next() & 0xF];
    return out;
  }

 private:
  std::uint64_t state_;
};

}  // namespace tessaly::sim
