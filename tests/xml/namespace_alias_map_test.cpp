// SPDX-License-Identifier: MIT
#include <korvel/namespace_alias_map.h>

#include <gtest/gtest.h>

#include <string>
#include <typeinfo>
#include <vector>

#include <korvel/errors.h>

namespace Korvel {
namespace {

using Uris = std::vector<std::wstring>;

Uris Namespaces(const CNamespaceAliasMap& map) {
  Uris uris;
  for (int32_t i = 0; i < map.GetNamespaceCount(); ++i) uris.push_back(map.GetNamespaceAt(i));
  return uris;
}

// The alias lookup throws the base class itself, which the shared macro cannot
// tell apart from its subclasses.
void ExpectAliasNotFound(const CNamespaceAliasMap& map, const wchar_t* alias,
                         const std::wstring& expected) {
  try {
    map.GetNamespaceFromAlias(alias);
    ADD_FAILURE() << "no exception";
  } catch (const CKvException& e) {
    EXPECT_EQ(typeid(e), typeid(CKvException));
    EXPECT_EQ(e.GetMessageW(), expected);
  }
}

TEST(NamespaceAliasMap, PositionsFollowCodeUnitOrderOfUris) {
  CNamespaceAliasMap map;
  EXPECT_EQ(map.GetNamespaceAt(0), L"");
  // Upper case sorts before lower case, and a prefix before its extensions.
  for (const wchar_t* uri : {L"urn:b", L"urn:B", L"urn:a2", L"urn:a", L"http://z", L"\u00e9"})
    map.Add(L"p", uri);
  EXPECT_EQ(Namespaces(map),
            (Uris{L"http://z", L"urn:B", L"urn:a", L"urn:a2", L"urn:b", L"\u00e9"}));
  EXPECT_EQ(map.GetNamespaceAt(-5), L"http://z");
  EXPECT_EQ(map.GetNamespaceAt(6), L"");
}

TEST(NamespaceAliasMap, OneAliasPerUriAndASharedAliasResolvesToTheSmallestUri) {
  CNamespaceAliasMap map;
  map.Add(L"a", L"urn:u");
  map.Add(L"b", L"urn:u");  // re-adding a URI replaces its alias
  EXPECT_EQ(map.GetNamespaceCount(), 1);
  EXPECT_EQ(map.GetAliasFromNamespace(L"urn:u"), L"b");
  EXPECT_FALSE(map.DoesAliasExist(L"a"));
  map.Add(L"s", L"urn:z");
  map.Add(L"t", L"urn:a");
  map.Add(L"s", L"urn:m");
  EXPECT_EQ(map.GetNamespaceFromAlias(L"s"), L"urn:m");
  EXPECT_EQ(map.GetNamespaceFromAlias(L"t"), L"urn:a");

  map.RemoveNamespace(L"urn:u");
  map.RemoveNamespace(L"urn:absent");
  EXPECT_EQ(Namespaces(map), (Uris{L"urn:a", L"urn:m", L"urn:z"}));
  EXPECT_FALSE(map.DoesAliasExist(L"b"));
}

TEST(NamespaceAliasMap, LookupsAreExactAndDoNotAddEntries) {
  CNamespaceAliasMap map;
  ExpectAliasNotFound(map, L"ns1", L"Namespace alias [ns1] not found");
  map.Add(L"x", L"urn:x");
  EXPECT_EQ(map.GetAliasFromNamespace(L"urn:X"), L"");
  EXPECT_EQ(map.GetAliasFromNamespace(L"urn:missing"), L"");
  EXPECT_TRUE(map.DoesNamespaceExist(L"urn:x"));
  EXPECT_FALSE(map.DoesNamespaceExist(L"urn:X"));
  EXPECT_FALSE(map.DoesNamespaceExist(L"urn:"));
  EXPECT_FALSE(map.DoesAliasExist(L"X"));
  ExpectAliasNotFound(map, L"X", L"Namespace alias [X] not found");
  ExpectAliasNotFound(map, nullptr, L"Namespace alias [] not found");
  EXPECT_EQ(map.GetNamespaceCount(), 1);
}

TEST(NamespaceAliasMap, EmptyAndNullStringsAreOrdinaryKeys) {
  CNamespaceAliasMap map;
  map.Add(nullptr, L"urn:n");  // null alias is the empty alias
  map.Add(L"e", nullptr);      // null URI is the empty URI
  EXPECT_EQ(Namespaces(map), (Uris{L"", L"urn:n"}));
  EXPECT_EQ(map.GetNamespaceFromAlias(L""), L"urn:n");
  EXPECT_EQ(map.GetAliasFromNamespace(nullptr), L"e");
  EXPECT_TRUE(map.DoesAliasExist(nullptr));
  map.RemoveNamespace(nullptr);
  EXPECT_EQ(map.GetNamespaceCount(), 1);
}

}  // namespace
}  // namespace Korvel
