// SPDX-License-Identifier: MIT
// Forward declarations of the public classes, for headers that only name them.
#pragma once

class CInstanceMonitor;
class CKVCriticalSection;
template <class T> class CSmartPtr;

namespace Korvel {
class CBinaryData;
class CFileTextStream;
class CKvException;
class CKvValidationException;
class CKvInvalidValueException;
class CKvInvalidNamespaceException;
class CKvInvalidStateException;
class CKvInvalidParamException;
class CKvOverFlowException;
class IErrorPathProvider;
class CDateTime;
class CDateTimeSpan;
class CFastInfosetContext;
class CFIVocabulary;
class CJsonContext;
class CNamespaceAliasMap;
class CSerializationContext;
class CBigInteger;
class CDecimal;
class CStringBuffer;
class CTextStream;
class CXmlTextWriter;
class CXmlWriter;
class CWhitespaceUtils;
class CConversions;
class CPrimitiveRestrictions;
struct KvVariant;
class CXmlObjectBase;
class CXmlCollectionBase;
class CXmlAttribute;
class CXmlDocument;
class CXmlElement;
struct SYSTEMTIME;
struct FILETIME;
}  // namespace Korvel
