// A program outside the build tree: links the installed library, uses a typed
// collection and catches one of its exceptions by type, which needs the
// exported typeinfo.
#include <korvel/korvel.h>

int main() {
  // A typed collection, instantiated in the library, refuses what its facets forbid.
  CSmartPtr<Korvel::Ci4Col> col =
      new Korvel::Ci4Col(L"n", L"", 0, -1, nullptr, -1, -1, nullptr, L"9", nullptr, nullptr, -1, -1,
                         -1, Korvel::CWhitespaceUtils::ws_collapse, nullptr);
  col->Add(9);
  try {
    col->Add(10);
    return 3;
  } catch (const Korvel::CKvException&) {
  }
  if (col->GetCount() != 1) return 4;
  try {
    throw Korvel::CKvInvalidValueException(Korvel::FormatString(L"bad [%s]", L"x"));
  } catch (const Korvel::CKvValidationException& e) {
    return e.GetMessageW() == L"bad [x]" ? 0 : 1;
  }
  return 2;
}
