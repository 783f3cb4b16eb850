#pragma once
// Style sheets as link sources: which stored files are sheets, the link
// records of a whole sheet, and the record that every URL of a sheet, a
// style element, a style attribute or a srcset becomes.
//
// Such records keep to numbers the tables already hold, so a tree file
// stays readable by every reader of its version: a sheet's and a style
// element's URLs are tag style, attribute url; a style attribute's are the
// element's tag with attribute style; srcset candidates are the element's
// tag (0 for source) with attribute url. They are pictures and embedded,
// so they follow the filters of pictures and ignore levels and folders.

#include <cstdint>
#include <string_view>

#include "site/ExtractList.h"

class ibwstream;

// A stored file is read as a sheet when the server called it text/css, or
// when it came without a type of its own (none, plain text, bytes) under a
// ".css" name.
bool IsStyleSheet(std::string_view mediaType, std::string_view url);

// Whether a record comes from a sheet or a style element, whose text
// holds no character references: "&copy" there is five bytes of a URL.
bool IsSheetText(const ExtractNode& link);

// Whether a record holds one URL among others in a sheet or a list, whose
// replacement must not contain the bytes that would end it there.
bool IsListedLink(const ExtractNode& link);

// Appends a picture-and-embedded record for the URL text that ends at
// end; null when the list already holds maxLinks records, the text is
// empty or names a fragment of the page itself.
ExtractNode* AppendEmbeddedLink(ExtractList& links, std::string_view text, uint32_t end, uint16_t tag,
                                uint16_t attribute, size_t maxLinks);

// Appends a record for every URL of the sheet, in sheet order, keeping no
// more than maxLinks records in the list: 0, or -1 when the file cannot be
// read (the records found before stay).
[[nodiscard]] int ExtractStyleSheet(ibwstream& in, ExtractList& links, size_t maxLinks);
[[nodiscard]] int ExtractStyleSheet(const char* path, ExtractList& links, size_t maxLinks);
