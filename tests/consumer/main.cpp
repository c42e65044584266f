// A program outside the build tree: links the installed library and catches
// one of its exceptions by type, which needs the exported typeinfo.
#include <korvel/korvel.h>

int main() {
  try {
    throw Korvel::CKvInvalidValueException(Korvel::FormatString(L"bad [%s]", L"x"));
  } catch (const Korvel::CKvValidationException& e) {
    return e.GetMessageW() == L"bad [x]" ? 0 : 1;
  }
  return 2;
}
