// Menu trees as JSON, in the form docs/vntool.md describes.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "menudoc/menulist.h"

// Deeper menus than this are refused both ways; no real menu comes near.
const int kMaxMenuDepth = 64;

// The items of `list` (placeholders skipped) as a JSON array; false with
// `error` set when the tree is nested too deep.
bool ItemsToJson(const CMenuList& list, nlohmann::json& items, std::string& error);

// Appends the items described by the JSON array `items` to `list`, giving
// submenus lists of its document. False with `error` naming the offending
// place (`where` is the array's own place, e.g. "menus[0].items").
bool JsonToItems(const nlohmann::json& items, CMenuList& list, const std::string& where, std::string& error);

// A JSON string as the bytes a menu file stores; false with `error` set.
bool JsonText(const nlohmann::json& value, const std::string& where, std::string& bytes, std::string& error);
