#pragma once
// The reader of one square: what a pupil wrote in it, as a probability for each class.
#include "CellInput.h"
#include "GreyImage.h"

#include <array>

namespace pelkano::marking {

// Classes: 0 to 9 the digits, then a blank square, then a scribble (crossed out or smudged).
inline constexpr int kBlank = 10;
inline constexpr int kScribble = 11;
inline constexpr int kClasses = 12;

// The probabilities of the classes, summing to 1.
using CellScores = std::array<float, kClasses>;

// crop: the square's inside, as scanned and straightened, with the square's dotted lines already
// taken out (white); any size from 8 by 8 pixels. The recognizer centres and scales it itself, the
// same way its training did.
CellScores recognizeCell(const GreyImage& crop);

// The square is read by a few networks trained alike from different seeds; its probabilities are
// the mean of theirs (they are wrong on different squares, and sure of a misreading less often).
int recognizerNetworks();

// A network's scores before they are made probabilities (softmax), for the input cellInput makes
// of a crop: what the tests compare with the training's own outputs.
std::array<float, kClasses> cellLogits(const CellInput& input, int network);

}  // namespace pelkano::marking
