#pragma once
// A download job that lives in a project file (".zbp"): a settings file and
// a mission in one. The tree file beside it belongs to the link graph.

#include "app/ApplicationProfile.h"
#include "site/Mission.h"

class Project : public ApplicationProfile, public Mission {
public:
    // No file yet; the mission starts from the program's defaults.
    Project();
    // No file yet; the mission starts from the defaults of that file.
    explicit Project(const ApplicationProfile& defaults);

    // Fills the mission from the project file. A key that is missing keeps
    // the field's value, except "password", which then reads as empty.
    void readProject();
    // Writes every field in the order a reviewer expects to find them; the
    // three list sections are deleted and written anew. 0 or the first
    // error of the settings store.
    int writeProject();

    // Reads the project file at path into the current mission. -1 when no
    // such file exists, and then nothing changes.
    [[nodiscard]] int open(const char* path);
    // Writes the project file at path and clears the settings' change mark.
    int save(const char* path);
    // An unnamed project with the mission reset to the defaults.
    void makeNew(const ApplicationProfile& defaults);

    // The settings changed since they were last saved or opened.
    bool changed() const { return changed_; }
    void markChanged() { changed_ = true; }
    // After the settings dialog confirmed: marks the project changed when
    // the mission differs from the copy taken before the dialog. HtmlFirst
    // and the output flags take no part (see Mission::equals).
    bool noteEdit(const Mission& before);

    // The folder the job saves into (OutputFolder.h).
    AStr outputFolder() const;

private:
    bool changed_ = false;
};
