#pragma once

#include <vector>

class CMesh;
class CRunLog;

// Where the electrodes of a survey sit on the mesh: each at the mesh node nearest its x (a tie
// to the left), at the top of the ground there, the highest node that touches a ground cell;
// never moved sideways to a cell centre. Positions that land on the same node share it.
struct CElectrodePlacement {
    std::vector<int> columns, rows; // mesh node of each electrode
    std::vector<int> ofPosition;    // electrode of each position
};

// airPerColumn: the air cells at the top of each mesh column. Raises CEngineError for a
// position outside the mesh or above a node with only air beside it.
CElectrodePlacement PlaceElectrodes(const CMesh& mesh, const std::vector<int>& airPerColumn,
                                    const std::vector<double>& positions, CRunLog& log);
