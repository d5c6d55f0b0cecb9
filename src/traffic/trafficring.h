#pragma once

#include "traffic/trafficrow.h"

#include <vector>

// The newest rows, at most capacity() of them, oldest first. Once full, a new row takes the
// slot of the oldest: a whole shift of automatic testing holds the memory of capacity() rows
// and no more, and adding a row never moves the others.
class TrafficRing
{
public:
    static constexpr int DefaultCapacity = 10000;
    static constexpr int MinCapacity = 100;
    static constexpr int MaxCapacity = 1000000;

    explicit TrafficRing(int capacity = DefaultCapacity);

    int capacity() const { return m_capacity; }
    int size() const { return m_size; }
    bool isFull() const { return m_size == m_capacity; }
    // Row i, 0 the oldest; i must be below size().
    const TrafficRow &at(int i) const;

    // Adds the row as the newest; when full, the oldest goes first. Returns how many went.
    int push(TrafficRow row);
    // Drops the n oldest rows (all when n is larger than size()).
    void dropOldest(int n);
    // Keeps the newest rows that fit a capacity within [MinCapacity, MaxCapacity]; returns
    // how many of the oldest went.
    int setCapacity(int capacity);
    void clear();

    static int boundedCapacity(int capacity);

private:
    int slot(int i) const { return int((m_first + i) % m_slots.size()); }
    // Puts the oldest row in slot 0, so that the slots can grow at the end.
    void straighten();

    std::vector<TrafficRow> m_slots; // grows up to the capacity, never past it
    int m_first = 0;                 // slot of the oldest row
    int m_size = 0;
    int m_capacity = DefaultCapacity;
};
