#pragma once

#include "formats/LocationsFile.h"
#include "platform/Refusal.h"

struct CModelData;

// The survey as written: n (lowered when too large, with a warning), the array length, the
// number of transmitters and of data.
struct CSurveySize {
    int n = 0;
    double arrayLength = 0;
    int transmitters = 0;
    int data = 0;
    CWarnings warnings;
};

// The survey of the model's discretization settings, planned: the locations file's header, then
// every configuration, transmitters from left to right, separations increasing. An n too large
// for the core width is lowered in the model too. Raises CRefusal when the a-spacing would give
// more transmitters than the program handles or the survey more data than a locations file holds.
struct CSurveyPlan {
    CLocationsFile file;
    CSurveySize size;
};
CSurveyPlan PlanSurvey(CModelData& model);

// Plans the survey and writes its locations file (the model's kLocationsFileName in the current
// folder); nothing is written when the plan is refused. Raises also CFileException when the file
// cannot be written.
CSurveySize WriteLocationsFile(CModelData& model);
