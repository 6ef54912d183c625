// The mark of the view that dumps the current stream one 256-byte page at a time: the
// document turns the cell texts that view hands it into bytes; cells of other views are
// not bytes of the stream.
#pragma once

class CPageView {
public:
    virtual ~CPageView() = default;
};
