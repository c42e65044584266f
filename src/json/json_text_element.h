// SPDX-License-Identifier: MIT
// Writing an element that holds only text, the commonest element of a
// document, into a JSON text writer in one step.
#pragma once

#include <korvel/json_text_writer.h>

namespace Korvel::detail {

struct TextElement;

// WriteTextElement for a CJsonTextWriter (of that class itself, so that no
// override is bypassed): in one step unless the element is the root or
// needs a namespace prefix or declaration.
void WriteJsonTextElement(CJsonTextWriter& writer, const TextElement& element);

}  // namespace Korvel::detail
