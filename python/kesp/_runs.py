"""Settings, radiation fields, runs and their results."""

__all__: list[str] = []
