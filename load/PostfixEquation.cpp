#include "load/PostfixEquation.h"

namespace lorvex {

EquationResult EvaluatePostfix(const char* program, std::size_t programSize, float* operands, int count) {
    int next = 0;   // the next operand an "x" pushes
    int depth = 0;  // the stack: operands[0, depth)
    for (std::size_t i = 0; i < programSize && program[i] != '\0'; ++i) {
        const char c = program[i];
        if (c == 'x') {
            if (next >= count) return {EquationOutcome::Bad};
            operands[depth++] = operands[next++];
        } else if ((c == '+' || c == '-' || c == '*' || c == '/') && depth >= 2) {
            const float right = operands[--depth];
            float& top = operands[depth - 1];
            if (c == '+')
                top = top + right;
            else if (c == '-')
                top = top - right;
            else if (c == '*')
                top = top * right;
            else if (right == 0.0f)
                return {EquationOutcome::Blank};
            else
                top = top / right;
        } else {
            return {EquationOutcome::Bad};
        }
    }
    if (next < count) return {EquationOutcome::Bad};
    if (depth != 1) return {EquationOutcome::Blank};
    return {EquationOutcome::Value, operands[0]};
}

}  // namespace lorvex
