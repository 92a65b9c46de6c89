#include "walkthrough/matrix.h"

#include "walkthrough/equation_entry.h"

namespace simeq {

void RunMatrixWalkthrough(Dialogue& dialogue) {
  const Coefficients c = EnterMatrixSystem(dialogue);
  const double A = c.A, K = c.K, Y1 = c.Y1, B = c.B, Q = c.Q, Y2 = c.Y2;
  ScreenWriter& out = dialogue.out;

  // One statement per screen line, kept whole so the code reads like the screen.
  // clang-format off
  // The determinant of the coefficient matrix.
  out << "  --> Solve The Equation Using Matrix Method\n";
  out << " The Determinant Of The Equation Is ==>\n";
  out << " [ " << A << " " << K << " ]  " << "\n";
  out << " [ " << B << " " << Q << " ]  " << "\n";
  out << " Determinant ==> ( " << A << " x " << Q << " ) - ( " << B << " x " << K << " ) " << "\n";
  out << " Determinant ==> ( " << A * Q << " ) -  (" << B * K << " )" << "\n";
  const double Det = (A * Q) - (B * K);
  out << " Det ==> " << Det << "\n";
  out << "\n";
  out << "\n";

  // x: the x column replaced by the right-hand sides.
  out << " The X Factors Of The Equation Is ==>\n";
  out << " [ " << Y1 << "  " << K << " ] " << "\n";
  out << " [ " << Y2 << "  " << Q << " ] " << "\n";
  out << " The X Values ==> ( " << Y1 << " x " << Q << " ) - ( " << Y2 << " x " << K << " ) " << "\n";
  out << " The X Values ==> ( " << Y1 * Q << " ) " << " - " << " ( " << Y2 * K << " ) " << "\n";
  const double DetX = (Y1 * Q) - (Y2 * K);
  out << " The X Value ==>  " << DetX << " / " << Det << "\n";
  const double x = DetX / Det;
  out << " The X Value ==> " << x << "\n";
  out << "\n";
  out << "\n";

  // y: the y column replaced by the right-hand sides.
  out << " The Y Factors Of The Equation Is ==>\n";
  out << " [ " << A << "  " << Y1 << " ] " << "\n";
  out << " [ " << B << "  " << Y2 << " ] " << "\n";
  out << " The Y Values ==> ( " << A << " x " << Y2 << " ) - ( " << B << " x " << Y1 << " ) " << "\n";
  out << " The Y Values ==> ( " << A * Y2 << " ) " << " - " << " ( " << B * Y1 << " ) " << "\n";
  const double DetY = (A * Y2) - (B * Y1);
  out << " The Y Value ==>  " << DetY << " / " << Det << "\n";
  const double y = DetY / Det;
  out << " The Y Value ==> " << y << "\n";

  out << " ........................................................ " << endl;
  out << " ........................................................ " << endl;
  out << " The Value Of X ==> " << x << "\n";
  out << " The Value Of Y ==> " << y << "\n";
  out << " ........................................................ " << endl;

  // Checking stage: both sides of Eq-1, then of Eq-2.
  out << " .........................Checking Stages-[Eq-1]........................ " << endl;
  out << " --> ";
  WriteEquation(out, A, K, Y1) << " Eq - 1" << "\n";
  out << " --> ";
  WriteEquation(out, B, Q, Y2) << " Eq - 2" << "\n";
  out << " .........................Checking Stages........................ " << endl;
  out << " --> " << A << " x " << x << " + " << K << " x " << y << " =  " << Y1 << " Eq - 1" << "\n";
  out << " --> " << A * x << " + " << K * y << " =  " << Y1 << " Eq - 1" << "\n";
  out << " --> " << (A * x) + (K * y) << " =  " << Y1 << "\n";
  out << " ........................................................ " << endl;
  out << " .........................Checking Stages-[Eq-2]........................ " << endl;
  out << " --> " << B << " x " << x << " + " << Q << " x " << y << " =  " << Y2 << " Eq - 2" << "\n";
  out << " --> " << B * x << " + " << Q * y << " =  " << Y2 << " Eq - 2" << "\n";
  out << " --> " << (B * x) + (Q * y) << " = " << Y2 << "\n";
  out << " .........................End Of Checking Stages........................ " << endl;
  out << "\n";
  out << " ........................... Line Ends......................... " << endl;
  out << " ........Press Any Key To Continue........ " << endl;
  // clang-format on
}

}  // namespace simeq
