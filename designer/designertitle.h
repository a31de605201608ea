// The designer window's title, rebuilt after every recorded edit, undo,
// redo and save: "<dialog caption> - <menu name>[ *] - [<menu file>]",
// the asterisk while the tree differs from the one last saved.
#pragma once

#include <string>

// `menuFile` is the login's menu file already resolved against the
// program's folder.
std::string DesignerTitle(const std::string& dialogCaption, const std::string& menuName, bool modified,
                          const std::string& menuFile);
