// The addresses of the online pages: the crystal-structure search service and SpotIndex's own
// site, comments page and forum. Every address the program opens or shows is built here.
#pragma once

#include <QString>

namespace spot {

/// The Crystallography Open Database, an open collection of crystal structures.
inline constexpr const char* kStructureDatabaseBase = "https://www.crystallography.net/cod";
/// SpotIndex's own web site; the comments page and the forum live on it.
inline constexpr const char* kProjectSite = "https://spotindex.org";

/// "Crystal Structure Search": the database's search form (formula, elements, cell).
inline QString StructureSearchPage() {
  return QString::fromLatin1(kStructureDatabaseBase) + QStringLiteral("/search.html");
}
/// "Comments": a page of the project site, addressed by its page number on the root path.
inline QString CommentsPage() {
  return QString::fromLatin1(kProjectSite) + QStringLiteral("/?page_id=532");
}
/// "官方论坛": the project forum.
inline QString ForumPage() { return QString::fromLatin1(kProjectSite) + QStringLiteral("/bbs"); }
/// The project site's home page, shown on the contact panel.
inline QString ProjectHomePage() { return QString::fromLatin1(kProjectSite) + QLatin1Char('/'); }

} // namespace spot
