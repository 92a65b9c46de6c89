#include "walkthrough/elimination.h"

#include "walkthrough/equation_entry.h"

namespace simeq {

void RunEliminationWalkthrough(Dialogue& dialogue) {
  const Coefficients c = EnterEliminationSystem(dialogue);
  const double A = c.A, K = c.K, Y1 = c.Y1, B = c.B, Q = c.Q, Y2 = c.Y2;
  ScreenWriter& out = dialogue.out;

  // One statement per screen line, kept whole so the code reads like the screen.
  // clang-format off
  out << "  --> Solve The Equation Using Elimination Method\n";
  out << "  --> Find The Reciprocal Of X In Eq-2 Through Eq-1\n";
  out << " ........................... Line Ends......................... " << endl;
  out << " ........Press Any Key To Continue........ " << endl;

  // Eq-3 is Eq-1 times R, chosen so that adding it to Eq-2 removes x. The
  // compiler may make the product a negation; the two differ only in the
  // sign of a NaN, and that never shows: ScreenWriter::Number writes every NaN as
  // the default NaN (see WithDefaultNaN in dialogue/conventions/default_nan.h).
  const double R = (B / A) * -1.0;
  out << " .......Derives New Eq-3 Through The Multiplication Of The Reciprocal For Eq-1..... " << endl;
  out << " --> ";
  WriteEquation(out, R * A, R * K, R * Y1) << " Eq - 3" << "\n";
  const double A3 = R * A;
  const double K3 = R * K;
  const double Y3 = R * Y1;
  out << " --> ";
  WriteEquation(out, A3, K3, Y3) << " Eq - 3" << "\n";
  out << " ............Add Eq-2 To Eq-3 To Complete The Elimination Process............ " << endl;
  out << " --> ";
  WriteEquation(out, B, Q, Y2) << " Eq - 2 " << "\n";
  out << " --> ";
  WriteEquation(out, A3, K3, Y3) << " Eq - 3 " << "\n";
  const double Ksum = Q + K3;
  const double Ysum = Y2 + Y3;
  out << " -->         " << Ksum << "y =  " << Ysum << " Eq - 3" << "\n";
  out << " --> " << "y =  " << Ysum << " / " << Ksum << "\n";
  const double y = Ysum / Ksum;
  out << " --> " << "y =  " << y << "\n";
  out << "\n";
  out << "\n";

  // Back-substitution into Eq-1.
  out << " ............ Solve For The Value OF X In Eq-1 Now............ " << endl;
  out << " --> x  = ";
  WriteEquation(out, A, K, Y1) << " Eq - 1" << "\n";
  out << " --> x  = " << A << "x + " << K << " x " << y << " = " << Y1 << " Eq - 1" << "\n";
  const double KY = K * y;
  out << " --> x  = " << A << "x " << " = " << Y1 << " - " << KY << " Eq - 4" << "\n";
  out << " --> x  = " << A << "x " << " = " << Y1 - KY << " Eq - 4" << "\n";
  const double Xrhs = Y1 - KY;
  const double x = Xrhs / A;
  out << " --> x  = " << x << "\n";
  out << "\n";
  out << "\n";
  out << " ............ Valued Derived Are Listed Below............ " << endl;
  out << " --> x  = " << x << "\n";
  out << " --> " << "y =  " << y << "\n";
  out << "\n";
  out << " ............ Valued Derived Are Given Above............ " << endl;

  // Checking stage: both sides of Eq-1, then of Eq-2.
  out << " ............ Checking For The Answers Gotten In Eq-1............ " << endl;
  out << " --> ";
  WriteEquation(out, A, K, Y1) << " Eq - 1" << "\n";
  out << " --> x  = " << A << " x " << x << " + " << K << " x " << y << " =  " << Y1 << " Eq - 1" << "\n";
  out << " --> x  = " << A * x << " + " << K * y << " =  " << Y1 << " Eq - 1" << "\n";
  out << " --> x  = " << (A * x) + (K * y) << " =  " << Y1 << " Eq - 1" << "\n";
  out << " ........................... ...................................... " << endl;

  out << " ............ Checking For The Answers Gotten In Eq-2............ " << endl;
  out << " --> ";
  WriteEquation(out, B, Q, Y2) << " Eq - 2" << "\n";
  out << " --> " << B << " x " << x << " + " << Q << " x " << y << " =  " << Y2 << " Eq - 2" << "\n";
  out << " --> " << B * x << " + " << Q * y << " =  " << Y2 << " Eq - 2" << "\n";
  out << " --> " << (B * x) + (Q * y) << " =  " << Y2 << " Eq - 2" << "\n";
  out << " --> " << " ................................................................. " << endl;
  out << " --> " << " ........................... Line Ends......................... " << endl;
  // clang-format on
}

}  // namespace simeq
