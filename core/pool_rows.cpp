// Filled in by the sizing work.
