"""Scans: many configurations run as kesp-scan runs them, as one table."""

__all__: list[str] = []
