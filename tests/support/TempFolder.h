#ifndef LARKSPUR_TESTS_TEMPFOLDER_H
#define LARKSPUR_TESTS_TEMPFOLDER_H

#include <string>
#include <vector>

// The system's temporary folder, with its trailing backslash.
std::string TempFolder();

// Names in a folder (given with its trailing backslash), sorted.
std::vector<std::string> FolderNames(const std::string& folder);

#endif
