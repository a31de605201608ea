#include "designer/pageeditor.h"

#include "framework/controls.h"

bool RunFileOpenDialog(HWND owner, const FileOpenRequest& request, std::string& chosen)
{
    // The dialog wants the parts of the filter ended by NULs, the list by
    // an empty part.
    std::string filter = request.filter;
    for (char& c : filter)
        if (c == '|') c = '\0';
    filter.push_back('\0');
    std::string path = request.initialFile;
    const char* extension = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
    if (!ChooseFileToOpen(owner, filter.c_str(), extension, path, request.flags)) return false;
    chosen = path;
    return true;
}
