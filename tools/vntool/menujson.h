// Menu trees as JSON, in the form docs/vntool.md describes.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "codepage.h"
#include "menudoc/menulist.h"

// Deeper menus than this are refused both ways; no real menu comes near.
const int kMaxMenuDepth = 64;

// JSON nested deeper than this is refused before it is parsed, since
// printing, copying or comparing a parsed value recurses through it. It
// leaves room for the deepest menu a description may hold (two levels per
// menu level).
const int kMaxJsonDepth = 2 * kMaxMenuDepth + 8;

// Where `text` nests arrays and objects deeper than kMaxJsonDepth ("line 3,
// column 12"), or empty.
std::string JsonTooDeep(const std::string& text);

// The items of `list` (placeholders skipped) as a JSON array, texts read in
// `page`; false with `error` naming the offending place (`where` is the
// array's own place, e.g. "items") or saying that the tree is too deep.
bool ItemsToJson(const CMenuList& list, const CodePage& page, const std::string& where, nlohmann::json& items,
                 std::string& error);

// Appends the items described by the JSON array `items` to `list`, giving
// submenus lists of its document. False with `error` naming the offending
// place (`where` is the array's own place, e.g. "menus[0].items").
bool JsonToItems(const nlohmann::json& items, CMenuList& list, const CodePage& page, const std::string& where,
                 std::string& error);

// A JSON string as the bytes a menu file stores in `page`; false with
// `error` set.
bool JsonText(const nlohmann::json& value, const CodePage& page, const std::string& where, std::string& bytes,
              std::string& error);

// Stored bytes as UTF-8 text; false with `error` naming `where`.
bool StoredText(const std::string& bytes, const CodePage& page, const std::string& where, std::string& text,
                std::string& error);

// Messages quote what they were given on one short line: `text` in quotes,
// control characters escaped, cut after a few dozen characters.
std::string ShortQuoted(const std::string& text);
// A JSON value for a message, short whatever its size or depth: a string or
// scalar as written, an array or object by its kind only.
std::string Describe(const nlohmann::json& value);
