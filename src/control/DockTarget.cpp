#include "DockTarget.h"

namespace {

struct EdgeDistances
{
    int left;
    int right;
    int top;
    int bottom;
};

EdgeDistances distances(QPoint pointer, QRect reference)
{
    // A client rectangle's right and bottom are exclusive, unlike QRect's
    // right() and bottom(), which are one pixel inside.
    return {pointer.x() - reference.left(),
            reference.left() + reference.width() - pointer.x(),
            pointer.y() - reference.top(),
            reference.top() + reference.height() - pointer.y()};
}

} // namespace

AlignQEnum nextDockTarget(AlignQEnum current, QPoint pointer, QRect reference)
{
    const EdgeDistances d = distances(pointer, reference);
    AlignQEnum next = drNone;
    switch (current) {
    case drTop:
    case drBottom:
        if ((current == drTop ? d.top : d.bottom) < DockDistance)
            return current;
        if (d.left < DockDistance)
            next = drLeft;
        if (d.right < DockDistance)
            next = drRight;
        return next;
    case drLeft:
    case drRight:
        if ((current == drLeft ? d.left : d.right) < DockDistance)
            return current;
        if (d.top < DockDistance)
            next = drTop;
        if (d.bottom < DockDistance)
            next = drBottom;
        return next;
    case drNone:
    default:
        if (d.left < DockDistance)
            next = drLeft;
        if (d.right < DockDistance)
            next = drRight;
        if (d.top < DockDistance)
            next = drTop;
        if (d.bottom < DockDistance)
            next = drBottom;
        return next;
    }
}

DockDrop dropDockTarget(const AllSettings &current, AlignQEnum target, QPoint dropPoint,
                        std::optional<QPoint> grabOffset)
{
    DockDrop drop{false, current};
    if (target == current.QPAlign && target != drNone)
        return drop;

    if (target == drNone) {
        const QPoint topLeft = dropPoint - grabOffset.value_or(QPoint());
        drop.settings.QPPosition = {float(topLeft.x()), float(topLeft.y())};
    } else {
        drop.settings.QPPosition = {0.0f, 0.0f};
    }
    drop.settings.QPAlign = target;
    drop.changed = !(drop.settings == current);
    return drop;
}
