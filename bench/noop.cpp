// Baseline (a) for the start-up benchmark: a program that does nothing.
int main() {
    return 0;
}
