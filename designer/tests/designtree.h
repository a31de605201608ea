// A small designer tree for the tests of the canvas rules:
//   root (isRoot): Top
//   Top -> A: a1, a2, a3, placeholder
//   a2  -> B: b1, placeholder
//   a3  -> C: placeholder
#pragma once

#include <string>

#include "menudoc/edithistory.h"
#include "menudoc/menudocument.h"

#include <gtest/gtest.h>

class DesignTree : public ::testing::Test {
protected:
    DesignTree() : history(&document)
    {
        root = document.newMenu(nullptr);
        root->isRoot = 1;
        document.rootMenu = root;
        top = Real(root, "Top");
        listA = Sub(top);
        a1 = Real(listA, "a1");
        a2 = Real(listA, "a2");
        a3 = Real(listA, "a3");
        listB = Sub(a2);
        b1 = Real(listB, "b1");
        listC = Sub(a3);
        document.ensurePlaceholders();
        root->currentIndex = 0;
    }
    ~DesignTree() override
    {
        history.clearRedo();
        history.clearUndo();
        document.deleteMenu(root);
    }

    CMenuItem* Real(CMenuList* list, const char* caption)
    {
        CMenuItem* item = list->appendNew(0);
        item->caption = caption;
        return item;
    }
    CMenuList* Sub(CMenuItem* item)
    {
        item->hasSubmenu = 1;
        item->submenu = document.newMenu(item);
        return item->submenu;
    }
    // The captions of a list in order, "_" for the placeholder.
    static std::string Captions(const CMenuList* list)
    {
        std::string text;
        for (const CMenuItem* item : list->items) {
            if (!text.empty()) text += ",";
            text += item->isPlaceholder ? "_" : item->caption;
        }
        return text;
    }

    CMenuDocument document;
    CEditHistory history;
    CMenuList* root;
    CMenuItem* top;
    CMenuList* listA;
    CMenuItem* a1;
    CMenuItem* a2;
    CMenuItem* a3;
    CMenuList* listB;
    CMenuItem* b1;
    CMenuList* listC;
};
