#pragma once

// The save's progress bar rule: ten percent for every "step" rows, where the step is the row total over
// nine rounded half to even, at least 1, never past 100.
class StepProgress
{
public:
    void start(int rowTotal);
    void operator()(int rowCounter); // called after each row, 1-based
    int percent() const { return m_percent; }
    int step() const { return m_step; }

private:
    int m_total = 0;
    int m_step = 0;
    int m_percent = 0;
};
