// SPDX-License-Identifier: MIT
// What starts a Fast Infoset document: the optional XML declaration, the
// identification and version octets, and the optional-component flags.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Korvel::detail::fi {

// 0xE000 identifies Fast Infoset, 0x0001 is version 1.
inline constexpr unsigned char kIdentification[4] = {0xE0, 0x00, 0x00, 0x01};

// The declaration texts, by FInfoDecl value; recognised in this order.
inline constexpr const char* kDeclarations[10] = {
    "",
    "<?xml encoding='finf'?>",
    "<?xml encoding='finf' standalone='yes'?>",
    "<?xml encoding='finf' standalone='no'?>",
    "<?xml version='1.0' encoding='finf'?>",
    "<?xml version='1.0' encoding='finf' standalone='yes'?>",
    "<?xml version='1.0' encoding='finf' standalone='no'?>",
    "<?xml version='1.1' encoding='finf'?>",
    "<?xml version='1.1' encoding='finf' standalone='yes'?>",
    "<?xml version='1.1' encoding='finf' standalone='no'?>",
};

// Optional components of the document (the octet after the identification).
inline constexpr uint8_t kHasAdditionalData = 0x40;
inline constexpr uint8_t kHasInitialVocabulary = 0x20;
inline constexpr uint8_t kHasNotations = 0x10;
inline constexpr uint8_t kHasUnparsedEntities = 0x08;
inline constexpr uint8_t kHasCharacterEncodingScheme = 0x04;
inline constexpr uint8_t kHasStandalone = 0x02;
inline constexpr uint8_t kHasVersion = 0x01;

// Parts of an initial vocabulary: the first of its two flag octets.
inline constexpr uint8_t kHasExternalVocabulary = 0x10;

// Item identifications.
inline constexpr uint8_t kTerminator = 0xF0;        // '1111' and four padding bits
inline constexpr uint8_t kDoubleTerminator = 0xFF;  // two terminators in one octet
inline constexpr uint8_t kProcessingInstruction = 0xE1;
inline constexpr uint8_t kComment = 0xE2;
inline constexpr uint8_t kNamespaceAttributes = 0x38;  // '111000' after the element's two bits
inline constexpr uint8_t kNamespaceAttribute = 0xCC;   // '110011' + prefix and name bits

}  // namespace Korvel::detail::fi
