#pragma once
// What a page may make the program send, and to whom: the rule that keeps
// links met in pages from reaching another service through the bytes of
// their URL (platform/UrlSafety.h), and the rule of where the project's
// credentials may go.

#include <string_view>

class StrList;
class ToBeOpenTN;

// Whether a link met on the page may enter the link graph: its request
// would carry no CR, LF or NUL byte (an FTP command or a gopher selector
// of the page's choosing), and it names no port below 1024 other than its
// scheme's own (80 http, 443 https, 21 ftp, 70 gopher) unless it keeps the
// page's own origin: a site the user typed on such a port links to itself.
// A link refused here stays in the page as it is and counts as no failure.
bool LinkSafeToFollow(std::string_view link, const ToBeOpenTN& page);

// Whether the project's user and password may be offered to url: it has
// the scheme, host and port of one of the start URLs (as typed, before
// normalising). Another host, or another port of the same host, is never
// told them.
bool CredentialsMayGoTo(const StrList& startUrls, std::string_view url);
