#pragma once
// The "math" column's equation: a postfix program over the record's operand
// values. "x" pushes the next operand, + - * / combine the top two. The
// program is read the way the original tool read it, outcome for outcome.
#include <cstddef>

namespace lorvex {

enum class EquationOutcome {
    Value,  // the program used every operand and left one value
    Bad,    // an unknown sign, too few values for a sign, or an "x" past the operands
    Blank,  // a division by zero, or values left over: the cell is left as it is
};

struct EquationResult {
    EquationOutcome outcome = EquationOutcome::Blank;
    float value = 0.0f;
};

// Runs program (at most programSize characters, up to a NUL) over operands
// [0, count), using them as its stack: the stack never outgrows the operands
// read so far, so a push never overwrites an operand still to come.
EquationResult EvaluatePostfix(const char* program, std::size_t programSize, float* operands, int count);

}  // namespace lorvex
