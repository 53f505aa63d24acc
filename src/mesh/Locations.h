#pragma once

struct CModelData;

// Writes the locations file (the model's m_locFileName in the current folder): the header with
// the discretization's choices, then every configuration, transmitters from left to right,
// separations increasing. An n too large for the core width is lowered, with a message, in n and
// in the model. Gives the array length, the number of transmitters and the number of data.
// False, with a message and nothing written, when the a-spacing would give more transmitters
// than the program handles or the survey more data than a locations file holds. Raises
// CFileException when the file cannot be written.
bool WriteLocationsFile(CModelData& model, int& n, double& arrayLength, double a, int& transmitters, int& data);
