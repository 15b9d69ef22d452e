nonsense
