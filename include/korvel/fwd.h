// SPDX-License-Identifier: MIT
// Forward declarations of the public classes, for headers that only name them.
#pragma once

class CInstanceMonitor;
class CKVCriticalSection;
template <class T> class CSmartPtr;

namespace Korvel {
class CBigInteger;
class CBinaryData;
class CConversions;
class CDateTime;
class CDateTimeSpan;
class CDecimal;
class CFIVocabulary;
class CFastInfosetContext;
class CFileTextStream;
class CJsonContext;
class CJsonTextWriter;
class CKvException;
class CKvInvalidNamespaceException;
class CKvInvalidParamException;
class CKvInvalidStateException;
class CKvInvalidValueException;
class CKvOverFlowException;
class CKvValidationException;
class CNamespaceAliasMap;
class CPrimitiveRestrictions;
class CSerializationContext;
class CStringBuffer;
class CTextStream;
class CWhitespaceUtils;
class CXmlAttribute;
class CXmlCollectionBase;
class CXmlDocument;
class CXmlElement;
class CXmlObjectBase;
class CXmlTextWriter;
class CXmlWriter;
struct FILETIME;
class IErrorPathProvider;
struct KvVariant;
struct SYSTEMTIME;
}  // namespace Korvel
