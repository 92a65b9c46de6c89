#include "walkthrough/equation_entry.h"

namespace simeq {

// Screen lines are kept whole, one statement each, so the code reads like the screen.
// clang-format off
namespace {

// The six prompts, each answered by one number read on the line below.
// The page depends on this name (cmake/web_program.cmake names it).
Coefficients ReadCoefficients(Dialogue& dialogue) {
  Coefficients c;
  ScreenWriter& out = dialogue.out;
  NumberReader& in = dialogue.in;
  out << " Enter The Value For A ; = \n";
  in.ReadNumber(c.A);
  out << " Enter The Value For K ; = \n";
  in.ReadNumber(c.K);
  out << " Enter The Value For Y1 ; = \n";
  in.ReadNumber(c.Y1);
  out << " Enter The Value For B ; = \n";
  in.ReadNumber(c.B);
  out << " Enter The Value For Q ; = \n";
  in.ReadNumber(c.Q);
  out << " Enter The Value For Y2 ; = \n";
  in.ReadNumber(c.Y2);
  return c;
}

// The system as typed, followed by two empty lines.
void WriteEcho(ScreenWriter& out, const Coefficients& c) {
  WriteEquation(out, c.A, c.K, c.Y1) << " Eq - 1" << "\n";
  WriteEquation(out, c.B, c.Q, c.Y2) << " Eq - 2" << "\n";
  out << "\n";
  out << "\n";
}

void WriteSystemDescription(ScreenWriter& out) {
  out << " Ax + Ky = Y1  Eq-1  , Where A And K Are Coeffients(Contants Of The Variables)\n";
  out << " Bx + Qy = Y2  Eq-2  , Where B And Q Are Coefiennts(Constant Of The Variables)\n";
  out << "\n";
}

}  // namespace

ScreenWriter& WriteEquation(ScreenWriter& out, double x, double y, double right) {
  return out << x << "x + " << y << "y =  " << right;
}

Coefficients EnterEliminationSystem(Dialogue& dialogue) {
  ScreenWriter& out = dialogue.out;
  out << "                         \n";
  out << "                         Quelmarin-!!!\n";
  out << "             Last Dated On 08/01/2007 <-- To -->  07/24/2002-!!!\n";
  out << " --> This Screen Is meant For You To Solve A Simultaneous Equation Of Two(2) Diffrent Variable....\n";
  WriteSystemDescription(out);

  const Coefficients c = ReadCoefficients(dialogue);
  WriteEcho(out, c);
  return c;
}

Coefficients EnterMatrixSystem(Dialogue& dialogue) {
  ScreenWriter& out = dialogue.out;
  out << " --> " << " ........................... Start Line For 2 X 2 Matrix...................................... " << endl;
  out << " --> " << " ........................... New Lines ......................... " << endl;
  out << "                         \n";
  out << "                         Quelmarin-!!!\n";
  out << "             Last Dated On 08/01/2008 <-- To -->  07/24/2002-!!!\n";
  out << " --> This Screen Is meant For You To Solve A Simultaneous Equation Of Two(2) Diffrent Variable....\n";
  out << " --> However, The Matrix Method Of '2 X 2' Equation Will Be Used Here.  The Other Option Goes For....\n";
  out << " --> Simultaneous Equation Of Elimination Method Of Two(2) Diffrent Variable....\n";
  WriteSystemDescription(out);

  const Coefficients c = ReadCoefficients(dialogue);
  out << ".........................Start Of Equation Line........................\n";
  out << "\n";
  WriteEcho(out, c);
  return c;
}

// clang-format on

}  // namespace simeq
