#ifndef LARKSPUR_TESTS_TEMPFOLDER_H
#define LARKSPUR_TESTS_TEMPFOLDER_H

#include <string>
#include <vector>

// The system's temporary folder, with its trailing backslash.
std::string TempFolder();

// Names in a folder (given with its trailing backslash), sorted.
std::vector<std::string> FolderNames(const std::string& folder);

// A Windows path for a path that may be a Unix one (the build tree's paths,
// folders named by the environment): Wine's own conversion when it is there,
// the text as it is otherwise.
std::string WindowsPath(const std::string& path);

#endif
