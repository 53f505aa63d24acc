#include "engine/linalg/NestedDissection.h"

namespace {

class CDissection {
public:
    CDissection(int columns, const std::vector<char>& include, const std::vector<char>& avoidColumns,
                const std::vector<char>& avoidRows)
        : m_stride(columns + 1), m_include(include), m_avoidColumns(avoidColumns), m_avoidRows(avoidRows)
    {
    }

    void Order(int i0, int i1, int k0, int k1)
    {
        if (i0 > i1 || k0 > k1)
            return;
        const int width = i1 - i0 + 1, height = k1 - k0 + 1;
        if (width * height <= 36) {
            Append(i0, i1, k0, k1);
            return;
        }
        if (width >= height) {
            const int c = Line(i0, i1, m_avoidColumns);
            Order(i0, c - 1, k0, k1);
            Order(c + 1, i1, k0, k1);
            Append(c, c, k0, k1);
        } else {
            const int r = Line(k0, k1, m_avoidRows);
            Order(i0, i1, k0, r - 1);
            Order(i0, i1, r + 1, k1);
            Append(i0, i1, r, r);
        }
    }

    std::vector<int> order;

private:
    // The line nearest the middle of lo..hi, strictly inside, that is not to be avoided.
    static int Line(int lo, int hi, const std::vector<char>& avoid)
    {
        const int mid = (lo + hi) / 2;
        for (int step = 0; mid - step > lo || mid + step < hi; ++step) {
            if (mid + step < hi && !avoid[mid + step])
                return mid + step;
            if (mid - step > lo && !avoid[mid - step])
                return mid - step;
        }
        return mid;
    }

    void Append(int i0, int i1, int k0, int k1)
    {
        for (int k = k0; k <= k1; ++k)
            for (int i = i0; i <= i1; ++i)
                if (m_include[k * m_stride + i])
                    order.push_back(k * m_stride + i);
    }

    int m_stride;
    const std::vector<char>& m_include;
    const std::vector<char>& m_avoidColumns;
    const std::vector<char>& m_avoidRows;
};

} // namespace

std::vector<int> NestedDissection(int columns, int rows, const std::vector<char>& include,
                                  const std::vector<char>& avoidColumns, const std::vector<char>& avoidRows)
{
    CDissection dissection(columns, include, avoidColumns, avoidRows);
    dissection.Order(0, columns, 0, rows);
    return dissection.order;
}
