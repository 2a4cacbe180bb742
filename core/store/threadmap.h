#pragma once

// A map of the calling thread's own, made when first needed and freed as soon as it is empty again. A thread
// that ends with all its connections closed (the punches' store thread) leaves nothing behind; one that ends
// still holding entries (the main thread at exit, whose statements may outlive every static) keeps them,
// since no destructor frees the map under a statement destroyed later.
template <class Map>
class ThreadMap
{
public:
    Map& operator*()
    {
        if (!m_map)
            m_map = new Map;
        return *m_map;
    }
    // The map if this thread has one, without making it.
    Map* existing() const { return m_map; }
    void releaseIfEmpty()
    {
        if (m_map && m_map->empty()) {
            delete m_map;
            m_map = nullptr;
        }
    }

private:
    Map* m_map = nullptr;
};
