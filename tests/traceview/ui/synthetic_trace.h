#pragma once
// Made-up OTDR-like traces: a falling backscatter line with noise, a few reflective spikes and a
// noise floor, in dB, seeded so every run draws the same.
#include <random>
#include <vector>

inline std::vector<double> SyntheticTrace(int n, unsigned seed) {
  std::mt19937 random(seed);
  std::normal_distribution<double> noise(0.0, 0.15);
  std::vector<double> db(static_cast<std::size_t>(n));
  const int end = n * 3 / 4;
  for (int i = 0; i < n; ++i) {
    double level = i < end ? 5.0 + 20.0 * i / n : 28.0 + 4.0 * noise(random);
    if (i < end && i % (n / 7 + 1) < 3) level -= 6.0;  // reflective spikes rise towards the top
    db[static_cast<std::size_t>(i)] = level + noise(random);
  }
  return db;
}
