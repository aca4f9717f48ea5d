#include "formula/FunPars.h"

namespace FunPars {

TOpCodeFunctionExtended FormulaX, FormulaY, FormulaZ;
long double FormulaVars[3] = {0, 0, 0};

void Initialize() {}
void Finalize() {}

}  // namespace FunPars
