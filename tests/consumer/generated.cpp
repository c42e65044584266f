// A program outside the build tree that reads a document into classes its own
// build generated from note.xsd, and writes it back.
#include <korvel/korvel.h>

#include "note.h"

int main() {
  const wchar_t* text =
      L"<note xmlns=\"urn:example:note\" sent=\"2024-02-29\"><to>Ann</to>"
      L"<priority>2</priority></note>";
  Korvel::CSerializationContext context;
  CSmartPtr<Note::CNote> note = new Note::CNote();
  note->FromXml(text, context);
  if (note->GetTo() != L"Ann" || note->GetPriority().value_or(0) != 2) return 1;
  const std::wstring written = note->ToXml(false, false, Korvel::EOL_LF, context);
  CSmartPtr<Note::CNote> copy = new Note::CNote();
  copy->FromXml(written.c_str(), context);
  if (copy->GetSent().ToString() != L"2024-02-29") return 2;
  return copy->ToXml(false, false, Korvel::EOL_LF, context) == written ? 0 : 3;
}
