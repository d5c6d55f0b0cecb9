#include "traffic/trafficring.h"

#include <algorithm>
#include <utility>

TrafficRing::TrafficRing(int capacity)
    : m_capacity(boundedCapacity(capacity))
{
}

int TrafficRing::boundedCapacity(int capacity)
{
    return std::clamp(capacity, MinCapacity, MaxCapacity);
}

const TrafficRow &TrafficRing::at(int i) const
{
    return m_slots[std::size_t(slot(i))];
}

int TrafficRing::push(TrafficRow row)
{
    int dropped = 0;
    if (m_size == m_capacity) {
        dropOldest(1);
        dropped = 1;
    }
    if (m_size < int(m_slots.size())) {
        m_slots[std::size_t(slot(m_size))] = std::move(row);
    } else {
        // Every slot is taken but the capacity is not reached: grow, by doubling as a vector
        // would, but never beyond the capacity.
        straighten();
        if (m_slots.size() == m_slots.capacity())
            m_slots.reserve(std::size_t(std::min(m_capacity, std::max(64, int(m_slots.size()) * 2))));
        m_slots.push_back(std::move(row));
    }
    ++m_size;
    return dropped;
}

void TrafficRing::dropOldest(int n)
{
    n = std::clamp(n, 0, m_size);
    for (int i = 0; i < n; ++i) {
        // The row's texts and bytes are given back now, not when the slot is next taken.
        m_slots[std::size_t(m_first)] = TrafficRow();
        m_first = slot(1);
        --m_size;
    }
    if (m_size == 0)
        m_first = 0;
}

int TrafficRing::setCapacity(int capacity)
{
    capacity = boundedCapacity(capacity);
    const int dropped = std::max(0, m_size - capacity);
    dropOldest(dropped);
    straighten();
    m_slots.resize(std::size_t(m_size));
    if (int(m_slots.capacity()) > capacity)
        m_slots.shrink_to_fit();
    m_capacity = capacity;
    return dropped;
}

void TrafficRing::clear()
{
    std::vector<TrafficRow>().swap(m_slots);
    m_first = 0;
    m_size = 0;
}

void TrafficRing::straighten()
{
    if (m_first == 0)
        return;
    std::rotate(m_slots.begin(), m_slots.begin() + m_first, m_slots.end());
    m_first = 0;
}
