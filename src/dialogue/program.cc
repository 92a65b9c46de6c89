#include "dialogue/program.h"

#include <cstdint>

#include "walkthrough/elimination.h"
#include "walkthrough/matrix.h"

namespace simeq {

void RunProgram(Dialogue& dialogue, int (*wait_for_key)()) {
  ScreenWriter& out = dialogue.out;
  out << " \n";
  out << "                         Quelmarin-!!!\n";
  out << "             Last Dated On 08/01/2007 <-- To -->  07/24/2002-!!!\n";
  out << " \n";
  out << " Enter Value For Program's Selection Between '1 And 2' --> ";

  // A failed read leaves 0, which selects nothing.
  std::int32_t selection = 0;
  dialogue.in.ReadInteger(selection);
  if (selection == 2) RunEliminationWalkthrough(dialogue);
  if (selection == 1) RunMatrixWalkthrough(dialogue);

  out << " ........Press Any Key To Continue........ " << endl;
  wait_for_key();
}

}  // namespace simeq
