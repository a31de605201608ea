#include "designer/designertitle.h"

std::string DesignerTitle(const std::string& dialogCaption, const std::string& menuName, bool modified,
                          const std::string& menuFile)
{
    std::string title = dialogCaption;
    title += " - ";
    title += menuName;
    if (modified) title += " *";
    title += " - [";
    title += menuFile;
    title += "]";
    return title;
}
