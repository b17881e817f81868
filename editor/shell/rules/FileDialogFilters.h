#pragma once
// File-dialog filters written the resource way ("GIF Files (*.gif)|*.gif|All (*.*)|*.*||":
// description and patterns separated by "|", patterns by ";") in the form Qt's file dialog
// reads ("GIF Files (*.gif)").

#include <string>
#include <vector>

namespace kfm::shell {

std::vector<std::string> ConvertFileFilter(const std::string& filter);
// The suffix a save dialog appends: "*.gif" and "*.wmf|*.emf" give "gif" and "wmf".
std::string DefaultSuffixOf(const std::string& defaultExtension);

} // namespace kfm::shell
