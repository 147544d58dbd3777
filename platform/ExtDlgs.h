#pragma once
#include <string>
#include <vector>

// The open-picture dialog. Filter is written "Label|patterns|Label|patterns",
// patterns separated by ';'; FilterIndex counts from 1.
class TOpenPictureDialog {
public:
    std::string Filter;
    int FilterIndex = 1;
    std::string FileName;

    // Runs the dialog modally; true when the user confirmed a file, and then
    // FileName and FilterIndex say what was chosen.
    bool Execute();
};

// Qt's form of such a filter: one "Label (*.a *.b)" per entry.
std::vector<std::string> QtNameFilters(const std::string& filter);
