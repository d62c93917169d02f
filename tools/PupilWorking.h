#pragma once
// What a pupil writes into a figure's squares: the right working, or the working of a pupil who
// makes one kind of mistake and carries on from it with their own numbers. The scan maker writes
// these digits by hand onto printed sheets, and the marking's evaluation compares its judgement
// with the kind the working was made with. No Qt.
#include "Diagnosis.h"
#include "LongDivision.h"
#include "Random.h"

#include <optional>
#include <vector>

namespace pelkano {

// One digit written in a square: row of the figure (0 the quotient, 2 and down the working) and
// column (the dividend digit, from 0 at the left, that the square stands over or under).
struct WrittenDigit {
    int row = 0;
    int column = 0;
    char digit = '0';
    friend bool operator==(const WrittenDigit&, const WrittenDigit&) = default;
};

struct PupilWorking {
    // What stands in the place of each of practiceRows(working), in writing order; empty digits
    // where the pupil wrote nothing there.
    std::vector<WrittenRow> rows;
    // The same digits as they stand in the figure's squares.
    std::vector<WrittenDigit> digits;
    // The first mistake the practice's diagnosis (ひとりで) names in rows; none for a right working.
    std::optional<MistakeKind> mistake;
};

// Every row written as the answer sheet has it.
PupilWorking rightWorking(const LongDivision& working);

// The working of a pupil who makes `kind` (one of the eight kinds other than そのほか) at a step
// drawn from `random` and then goes on from their own rows as far as the figure's rows allow.
// Checked against the diagnosis: the result's mistake is `kind`. Nothing when this division has
// no place for that mistake (商の0 without a 0 in the quotient, ...).
std::optional<PupilWorking> wrongWorking(const LongDivision& working, MistakeKind kind, RandomSource& random);

// The eight kinds a wrong working can be made with, in the order of MistakeKind.
inline constexpr std::array<MistakeKind, 8> kMadeMistakes{
    MistakeKind::QuotientPlace, MistakeKind::QuotientZero, MistakeKind::QuotientTooLarge,
    MistakeKind::QuotientTooSmall, MistakeKind::Multiplication, MistakeKind::Subtraction,
    MistakeKind::BringDown, MistakeKind::Remainder};

}  // namespace pelkano
