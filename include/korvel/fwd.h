// SPDX-License-Identifier: MIT
// Forward declarations of the public classes, for headers that only name them.
#pragma once

class CInstanceMonitor;
class CKVCriticalSection;
template <class T>
class CSmartPtr;

namespace KorvelData {
class CAttributeInfo;
class CElementInfo;
class CParentElementInfo;
}  // namespace KorvelData

namespace Korvel {
class CAttribute;
class CAttributeCol;
class CBigInteger;
class CBinaryData;
class CClassfactoryBase;
class CConversions;
class CDateTime;
class CDateTimeSpan;
class CdatetimeBaseCol;
class CDecimal;
class CElement;
class CElementCol;
class CFIVocabulary;
class CFastInfosetBinaryData;
class CFastInfosetContext;
class CFastInfosetWriter;
class CFileTextStream;
class CJsonContext;
template <class T> class CKvIterator;
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
class CXmlCollection;
class CXmlCollectionBase;
class CXmlDocument;
class CXmlElement;
class CXmlGeneratedClass;
class CXmlObjectBase;
class CXmlTextWriter;
class CXmlTypeCollection;
class CXmlWriter;
struct FILETIME;
class IErrorPathProvider;
class IEventSink;
class INillable;
class IFastInfosetItemSink;
struct KvVariant;
class KvValueView;
struct SYSTEMTIME;
}  // namespace Korvel
