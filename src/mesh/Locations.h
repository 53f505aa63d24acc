#pragma once

struct CModelData;

// Writes the locations file (the model's m_locFileName in the current folder): the header
// "#n a type cells aspect", the array line, then every configuration A B M N, transmitters from
// left to right, separations increasing. An n too large for the core width is lowered, with a
// message, in n and in the model. Gives the array length, the number of transmitters and the
// number of data. False, with a message and nothing written, when the a-spacing would give more
// transmitters than the program handles. Raises CFileException when the file cannot be written.
bool WriteLocationsFile(CModelData& model, int& n, double& arrayLength, double a, int& transmitters, int& data);
