#include "jet/reading/cursor.h"

#include "jet/base/error.h"

namespace jet {

void Snapshot::move_first()
{
    if (rows_ == 0) throw no_current_record();
    position_ = 0;
    note_visit();
}

void Snapshot::move_last()
{
    if (rows_ == 0) throw no_current_record();
    position_ = rows_ - 1;
    visited_ = rows_;
}

void Snapshot::move_next()
{
    if (position_ >= rows_) throw no_current_record();
    ++position_;
    note_visit();
}

Value Snapshot::value(int field) const
{
    Value v;
    read(field, v);
    return v;
}

void Snapshot::read(int field, Value& out) const
{
    if (field < 0 || field >= field_count()) throw item_not_found();
    if (position_ >= rows_) throw no_current_record();
    const Cell& c = cells_[position_ * fields_.size() + static_cast<std::size_t>(field)];
    switch (c.kind) {
    case ValueKind::Null: out.set_null(); break;
    case ValueKind::Boolean: out.set_boolean(c.i != 0); break;
    case ValueKind::Byte: out.set_byte(static_cast<std::uint8_t>(c.i)); break;
    case ValueKind::Integer: out.set_integer(static_cast<std::int16_t>(c.i)); break;
    case ValueKind::Long: out.set_long(static_cast<std::int32_t>(c.i)); break;
    case ValueKind::Currency: out.set_currency(c.i); break;
    case ValueKind::Single: out.set_single(c.f); break;
    case ValueKind::Double: out.set_double(c.d); break;
    case ValueKind::Date: out.set_date(c.d); break;
    case ValueKind::Text: out.set_text(text_.data() + c.offset, c.size); break;
    case ValueKind::Binary: out.set_bytes(bytes_.data() + c.offset, c.size); break;
    case ValueKind::Decimal: {
        Decimal d;
        d.precision = c.precision;
        d.scale = c.scale;
        d.negative = c.negative;
        d.high = c.size;
        d.low = c.offset;
        out.set_decimal(d);
        break;
    }
    }
}

}  // namespace jet
