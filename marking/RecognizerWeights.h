#pragma once
// The square reader's trained weights, marking/recognizer_weights.bin built into the program
// (tools/train_recognizer.py writes the file).
#include <cstddef>

namespace pelkano::marking {

extern const unsigned char kRecognizerWeights[];
extern const std::size_t kRecognizerWeightsSize;

}  // namespace pelkano::marking
