// Makes the page of each system-control type.
#pragma once

#include "SysControlPages.h"

namespace kfm::syscontrols {

// Makes the page of a type; types without options get the empty page.
CSysControlPage* CreateSysControlPage(int type, QWidget* parent, CSysControlWnd* preview,
                                      SysControlPageHost* dialog);

} // namespace kfm::syscontrols
